# One entry point for people and CI: every target installs what it needs first.
BUILD ?= build
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

# `make CXX=clang++ test` builds with another compiler, in a folder of its own (build-clang++).
ifeq ($(origin CXX),command line)
BUILD := build-$(notdir $(CXX))
CMAKE_FLAGS += -DCMAKE_CXX_COMPILER=$(CXX)
endif

.PHONY: deps configure build run report screenshots test bench install clean

deps:
	./scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) --parallel

# The targets that start one program build only that program (and what it links),
# not every test and benchmark. Built programs find the catalog copied beside them.

# Starts the app from the build tree.
run: configure
	cmake --build $(BUILD) --parallel --target corvane
	$(BUILD)/corvane

# Prints one engine run of this machine as text.
report: configure
	cmake --build $(BUILD) --parallel --target corvane-report
	$(BUILD)/tools/corvane-report

# Renders the main window's screens, the popover, onboarding and Settings to PNG files.
screenshots: configure
	cmake --build $(BUILD) --parallel --target corvane-screenshots
	QT_QPA_PLATFORM=offscreen $(BUILD)/tools/corvane-screenshots $(BUILD)/screenshots

test: build
	ctest --test-dir $(BUILD) --output-on-failure --parallel 8

bench: configure
	cmake --build $(BUILD) --parallel --target corvane_bench
	$(BUILD)/bench/corvane_bench

install: build
	cmake --install $(BUILD)

clean:
	rm -rf $(BUILD)
