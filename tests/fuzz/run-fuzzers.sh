#!/usr/bin/env bash
# Runs each fuzz target for a set time on a corpus kept in the build folder, seeded from the
# samples, the journals and their golden files; fails when any target finds a crash.
# Usage: run-fuzzers.sh BUILD_DIR SECONDS TARGET...
set -uo pipefail
# Absolute paths: the profile and journal targets change the current folder to their scratch folder.
build=$(cd "$1" && pwd) seconds=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
tests=$(dirname "$here")
root=$(dirname "$tests")

seeds() {
  case $1 in
    mold-json) echo "$root/samples" "$tests/journals/molds" ;;
    profile) echo "$tests/journals/profiles" "$tests/journals/golden" ;;
    journal) echo "$tests/journals" ;;
    step) echo "$tests/step" ;;
  esac
}

failed=0
for target in "$@"; do
  corpus=$build/fuzz-corpus/$target
  artifacts=$build/fuzz-artifacts/$target
  mkdir -p "$corpus" "$artifacts"
  # libFuzzer reads every file of a seed folder; only those of the target's kind are copied in.
  for folder in $(seeds "$target") "$here/regressions/$target"; do
    find "$folder" -maxdepth 1 -type f \( -name '*.json' -o -name '*.bom' -o -name '*.journal' -o -name '*.stp' \) \
      -exec cp -n {} "$corpus/" \;
  done
  echo "== fuzz-$target for ${seconds}s"
  "$build/tests/fuzz/fuzz-$target" "$corpus" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
    -dict="$here/$target.dict" -artifact_prefix="$artifacts/" -print_final_stats=1 2>"$build/fuzz-$target.log"
  status=$?
  grep -E '^(#[0-9]+ *DONE|stat::number_of_executed_units|stat::peak_rss_mb)' "$build/fuzz-$target.log"
  grep -E 'cov: [0-9]+' "$build/fuzz-$target.log" | tail -1
  if [ $status -ne 0 ]; then
    failed=1
    echo "fuzz-$target found a problem (log: $build/fuzz-$target.log); the input is in $artifacts:" >&2
    ls "$artifacts" >&2
    echo "add it to tests/fuzz/regressions/$target/ once fixed" >&2
  fi
done
exit $failed
