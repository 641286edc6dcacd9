# The two commands of the README: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
START_DIR := $(CURDIR)

.PHONY: all deps configure build test run bench format clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure

run: build
	cd "$(START_DIR)" && "$(abspath $(BUILD))/bin/olvessa"

bench: build
	QT_QPA_PLATFORM=offscreen $(BUILD)/bin/olvessa_bench

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD)
