# Two commands set everything up on Debian 12: `make run` and `make test`.
BUILD_DIR   ?= build
BENCH_DIR   ?= build-release
JOBS        ?= $(shell nproc)
ARGS        ?=

.PHONY: all deps test-deps configure build run test bench format clean

all: build

deps:
	@scripts/install-deps

test-deps:
	@scripts/install-deps --test

configure:
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: deps configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target velmora

run: build
	$(BUILD_DIR)/velmora $(ARGS)

test: test-deps configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

bench: test-deps
	@cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF >/dev/null
	@cmake --build $(BENCH_DIR) -j $(JOBS) >$(BENCH_DIR)/build.log 2>&1 || { cat $(BENCH_DIR)/build.log; exit 1; }
	@scripts/run-benchmarks $(BENCH_DIR)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD_DIR) $(BENCH_DIR)
