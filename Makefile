# The two commands of the README: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
START_DIR := $(CURDIR)
# Compiler progress and errors only: no "Entering directory" lines from the makes CMake runs.
MAKEFLAGS += --no-print-directory

.PHONY: all deps configure build program test run bench format clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

# The program and its guide only, so the first start does not wait for the tests.
program: configure
	@cmake --build $(BUILD) -j$(JOBS) --target olvessa manual

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure

run: program
	@cd "$(START_DIR)" && "$(abspath $(BUILD))/bin/olvessa"

bench: configure
	@cmake --build $(BUILD) -j$(JOBS) --target olvessa_bench
	@QT_QPA_PLATFORM=offscreen $(BUILD)/bin/olvessa_bench

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD)
