# Two commands for a newcomer: `make run` (the main job on the bundled sample mold) and `make test`.
# Both install what is missing from Debian's packages first.

BUILD      ?= build
ASAN_BUILD ?= build-asan
RUN_DIR    ?= $(BUILD)/run
GENERATOR  := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")
JOBS       ?= 2
SUDO       := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

DEB_PACKAGES := g++ cmake ninja-build make pkg-config nlohmann-json3-dev libcli11-dev \
                libgtest-dev libgmock-dev googletest libbenchmark-dev

.PHONY: all deps build run test test-asan clean

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

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# The main job on the bundled sample: the table, a CSV report and a profile in $(RUN_DIR); then a
# second run reads that profile back and, sorted by type, keeps every component's number.
run: build
	rm -rf $(RUN_DIR) && mkdir -p $(RUN_DIR)
	$(BUILD)/app/moldbom report --profile $(RUN_DIR)/sample.bom --csv $(RUN_DIR)/sample.csv \
	  --start 10 --increment 10 --yes
	$(BUILD)/app/moldbom report --profile $(RUN_DIR)/sample.bom --csv $(RUN_DIR)/sample-sorted.csv \
	  --keep --sort

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The unit tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps
	cmake -S . -B $(ASAN_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DMOLDBOM_SANITIZE=ON -DMOLDBOM_BENCHMARKS=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
