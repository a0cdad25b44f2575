# One entry point for people and CI: every target installs what it needs first.
BUILD ?= build
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
# Compile jobs and parallel tests: `make JOBS=3 test`, or CMake's own CMAKE_BUILD_PARALLEL_LEVEL
# from the environment, so a shared machine can hold a build back; else one per processor.
JOBS ?= $(or $(CMAKE_BUILD_PARALLEL_LEVEL),$(shell nproc 2>/dev/null || echo 2))

# `make CXX=clang++ test` builds with another compiler, in a folder of its own (build-clang++).
ifeq ($(origin CXX),command line)
BUILD := build-$(notdir $(CXX))
CMAKE_FLAGS += -DCMAKE_CXX_COMPILER=$(CXX)
endif

.PHONY: deps configure build run report screenshots test bench install fuzz clean

deps:
	./scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) --parallel $(JOBS)

# The targets that start one program build only that program (and what it links),
# not every test and benchmark. Built programs find the catalog copied beside them.

# Starts the app from the build tree.
run: configure
	cmake --build $(BUILD) --parallel $(JOBS) --target corvane
	$(BUILD)/corvane

# Prints one engine run of this machine as text.
report: configure
	cmake --build $(BUILD) --parallel $(JOBS) --target corvane-report
	$(BUILD)/tools/corvane-report

# Renders the main window's screens, the popover, onboarding and Settings to PNG files.
screenshots: configure
	cmake --build $(BUILD) --parallel $(JOBS) --target corvane-screenshots
	QT_QPA_PLATFORM=offscreen $(BUILD)/tools/corvane-screenshots $(BUILD)/screenshots

test: build
	ctest --test-dir $(BUILD) --output-on-failure --parallel $(JOBS)

bench: configure
	cmake --build $(BUILD) --parallel $(JOBS) --target corvane_bench corvane_app_bench
	$(BUILD)/bench/corvane_bench
	$(BUILD)/bench/corvane_app_bench

# Builds the fuzz targets in fuzz/ with clang and sanitizers, in a folder of their own, and
# runs each briefly (FUZZ_SECONDS each, default 10). Not part of `test`; CI does not run it.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 10
fuzz:
	./scripts/install-deps.sh fuzz
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  -DCORVANE_FUZZ=ON -DBUILD_TESTING=OFF -DCORVANE_BENCH=OFF
	FUZZ_SECONDS=$(FUZZ_SECONDS) cmake --build $(FUZZ_BUILD) --parallel $(JOBS) --target fuzz

install: build
	cmake --install $(BUILD)

clean:
	rm -rf $(BUILD)
