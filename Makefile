# Two commands for a newcomer: `make run` (the BOM command in the browser, on the bundled sample
# mold) and `make test`. Both install what is missing from Debian's packages first; `make report`
# runs the batch form instead.

BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
# How long `make fuzz` runs each target.
FUZZ_SECONDS ?= 60
RUN_DIR    ?= $(BUILD)/run
GENERATOR  := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")
JOBS       ?= 2
PREFIX     ?= /usr/local
SUDO       := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

DEB_PACKAGES := g++ cmake ninja-build make pkg-config nlohmann-json3-dev libcli11-dev \
                libgtest-dev libgmock-dev googletest libbenchmark-dev libcpp-httplib-dev libxlsxwriter-dev \
                dpkg-dev libocct-data-exchange-dev libocct-modeling-algorithms-dev libocct-visualization-dev \
                libocct-ocaf-dev libssl-dev libjs-three
# The fuzz targets: libFuzzer comes with clang's runtime libraries.
FUZZ_PACKAGES := clang-14 libclang-rt-14-dev
FUZZ_TARGETS  := mold-json profile journal step
# The browser tests: Debian's Chromium, driven by playwright-core from npm (no browser download).
BROWSER_TESTS := tests/browser

.PHONY: all deps browser-deps build run report test test-asan property measure-page fuzz install deb clean

all: build

# Installs only the packages that are not there yet, so a set-up machine makes no network call.
deps:
	@missing=""; for p in $(DEB_PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "installing:$$missing"; \
	  $(SUDO) apt-get update -qq && $(SUDO) DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	fi

# Node and npm may come from another source than Debian's packages; only a missing one is installed.
browser-deps:
	@$(MAKE) --no-print-directory deps DEB_PACKAGES=chromium
	@command -v node >/dev/null && command -v npm >/dev/null || $(MAKE) --no-print-directory deps DEB_PACKAGES="nodejs npm"
	@$(MAKE) --no-print-directory $(BROWSER_TESTS)/node_modules/.package-lock.json

$(BROWSER_TESTS)/node_modules/.package-lock.json: $(BROWSER_TESTS)/package.json $(BROWSER_TESTS)/package-lock.json
	cd $(BROWSER_TESTS) && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# The BOM command in the browser on the bundled sample, run from $(RUN_DIR) so that its file
# choosers and the names typed into the dialog both land there. It prints the address to open and
# serves until Ctrl-C.
run: build
	mkdir -p $(RUN_DIR)
	cd $(RUN_DIR) && $(abspath $(BUILD))/app/moldbom ui

# The batch form on the bundled sample: the table, a CSV report and a profile in $(RUN_DIR); then a
# second run reads that profile back and, sorted by type, keeps every component's number.
report: build
	rm -rf $(RUN_DIR) && mkdir -p $(RUN_DIR)
	$(BUILD)/app/moldbom report --profile $(RUN_DIR)/sample.bom --csv $(RUN_DIR)/sample.csv \
	  --start 10 --increment 10 --yes
	$(BUILD)/app/moldbom report --profile $(RUN_DIR)/sample.bom --csv $(RUN_DIR)/sample-sorted.csv \
	  --keep --sort

test: build browser-deps
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The module's CSV report and profile against a plain model of its rules, byte for byte, on
# PROPERTY_MOLDS random small molds from PROPERTY_FIRST_SEED on (stopping after PROPERTY_SECONDS
# when that is not 0), then once on generated molds of the PROPERTY_LARGE sizes.
PROPERTY_MOLDS      ?= 100000
PROPERTY_FIRST_SEED ?= 1
PROPERTY_SECONDS    ?= 0
PROPERTY_LARGE      ?= 10000,20000
property: build
	MOLDBOM_PROPERTY_MOLDS=$(PROPERTY_MOLDS) MOLDBOM_PROPERTY_FIRST_SEED=$(PROPERTY_FIRST_SEED) \
	  MOLDBOM_PROPERTY_SECONDS=$(PROPERTY_SECONDS) MOLDBOM_PROPERTY_LARGE=$(PROPERTY_LARGE) \
	  $(BUILD)/tests/property_tests --gtest_filter='BomPropertyTest.*'

# The unit tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps browser-deps
	cmake -S . -B $(ASAN_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DMOLDBOM_SANITIZE=ON -DMOLDBOM_BENCHMARKS=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan-kernel.supp \
	  ctest --output-on-failure -j $(JOBS)

# The page's figures on a generated mold of MEASURE_INSTANCES instances in headless Chromium (page
# usable, pick to table, scrolling, highlight, edit to total, tab memory) beside their targets.
MEASURE_INSTANCES ?= 100000
measure-page: build browser-deps
	MOLDBOM=$(abspath $(BUILD))/app/moldbom node $(BROWSER_TESTS)/measure.mjs --instances $(MEASURE_INSTANCES)

# moldbom, its libraries, catalogs and sample under $(PREFIX) (bin, lib, share/moldbom); the program
# finds them from where it lies, so the prefix may be moved afterwards. A system prefix wants root.
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# The same files as a Debian package under /usr, written to $(BUILD).
deb: build
	cd $(BUILD) && cpack -G DEB

# Each fuzz target for FUZZ_SECONDS, built with clang in $(FUZZ_BUILD) apart from the gcc build; the
# corpus grows in $(FUZZ_BUILD)/fuzz-corpus, and what breaks a target lands in fuzz-artifacts.
fuzz:
	@$(MAKE) --no-print-directory deps DEB_PACKAGES="$(DEB_PACKAGES) $(FUZZ_PACKAGES)"
	CC=clang-14 CXX=clang++-14 cmake -S . -B $(FUZZ_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DMOLDBOM_FUZZ=ON -DMOLDBOM_BENCHMARKS=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	tests/fuzz/run-fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
