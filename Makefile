# The two commands of the project; both install what is missing first.
#   make run   builds and starts the program
#   make test  builds everything and runs every test
#   make package  builds the Debian package build/tessel_<version>_<arch>.deb
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps configure build run package test test-sanitize test-threads test-interop fuzz fuzz-ci fuzz-long bench clean

all: build

deps:
	@scripts/install-deps.sh

$(BUILD)/build.ninja: CMakeLists.txt | deps
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null

configure: deps $(BUILD)/build.ninja

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@$(BUILD)/bin/Tessel --virtual-radio alder

package: build
	@cmake --build $(BUILD) --target package

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps
	@cmake -S . -B $(BUILD)-asan -G Ninja -DTESSEL_SANITIZE=ON $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD)-asan -j $(JOBS)
	@cd $(BUILD)-asan && ctest --output-on-failure -j $(JOBS)

# The tests of the workers, the links and the virtual radio under ThreadSanitizer.
test-threads: deps
	@scripts/test-threads.sh $(BUILD)-tsan

# Write, read and compare against the Linux IrDA stack in a virtual machine, all four models in
# three directions (scripts/interop.sh). Where it cannot run it says "skipped: <reason>".
test-interop: build
	@scripts/interop.sh $(BUILD) || [ $$? -eq 77 ]

# A short pass of every fuzz target (FUZZ_SECONDS each); fuzz-ci is the fixed pass CI runs.
FUZZ_SECONDS ?= 20
fuzz: deps
	@scripts/fuzz.sh $(FUZZ_SECONDS)

fuzz-ci: deps
	@scripts/fuzz.sh --ci

# The long run, one target after the other: FUZZ_RUNS inputs each (or FUZZ_SECONDS each when
# given), seeded with real inputs made by the built tools; the minimised corpus is kept in
# fuzz/corpus/<target>/ (commit it). FUZZ_TARGETS picks targets (default all); FUZZ_JOBS
# fuzzer processes share each target's runs (default 1).
FUZZ_RUNS ?= 10000000
FUZZ_JOBS ?= 1
fuzz-long: build
	@scripts/fuzz-seeds.py $(BUILD)/bin build-fuzz/seeds
	@SEEDS_DIR=build-fuzz/seeds FUZZ_RUNS=$(FUZZ_RUNS) FUZZ_JOBS=$(FUZZ_JOBS) \
	    $(if $(filter-out file,$(origin FUZZ_SECONDS)),FUZZ_SECONDS=$(FUZZ_SECONDS)) \
	    scripts/fuzz.sh --long $(FUZZ_TARGETS)

bench: build
	@scripts/bench.sh $(BUILD)

clean:
	rm -rf $(BUILD)
