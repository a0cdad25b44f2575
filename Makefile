# One entry point for people and CI: every target installs what it needs first.
BUILD ?= build
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

# `make CXX=clang++ test` builds with another compiler, in a folder of its own (build-clang++).
ifeq ($(origin CXX),command line)
BUILD := build-$(notdir $(CXX))
CMAKE_FLAGS += -DCMAKE_CXX_COMPILER=$(CXX)
endif

.PHONY: deps configure build run test bench clean

deps:
	./scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) --parallel

run: build
	$(BUILD)/tools/corvane-report

test: build
	ctest --test-dir $(BUILD) --output-on-failure --parallel 8

bench: build
	$(BUILD)/bench/corvane_bench

clean:
	rm -rf $(BUILD)
