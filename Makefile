# SPDX-License-Identifier: GPL-3.0-or-later

# Two commands set everything up on Debian 12: `make run` and `make test`.
BUILD_DIR   ?= build
BENCH_DIR   ?= build-release
PACKAGE_DIR ?= build-pkg
SANITIZE_DIR ?= build-sanitize
FUZZ_DIR    ?= build-fuzz
FUZZ_SECONDS ?= 25
JOBS        ?= $(shell nproc)
ARGS        ?=

.PHONY: all deps test-deps configure build run test test-sanitize fuzz bench package format format-check clean

all: build

deps:
	@scripts/install-deps

test-deps:
	@scripts/install-deps --test

# The benchmarks are built by `make bench`, in release mode, not here.
configure:
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_BENCHMARKS=OFF >/dev/null

build: deps configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target velmora

run: build
	$(BUILD_DIR)/velmora $(ARGS)

test: test-deps configure format-check
	@cmake --build $(BUILD_DIR) -j $(JOBS)
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory test-sanitize

# Every test again under AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: test-deps
	@cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_SANITIZE=ON -DVELMORA_BENCHMARKS=OFF >/dev/null
	@cmake --build $(SANITIZE_DIR) -j $(JOBS) >$(SANITIZE_DIR)/build.log 2>&1 || { cat $(SANITIZE_DIR)/build.log; exit 1; }
	cd $(SANITIZE_DIR) && ctest --output-on-failure -j $(JOBS)

# The libFuzzer targets (clang), FUZZ_SECONDS each: `make fuzz FUZZ_SECONDS=600`.
fuzz: test-deps
	@cmake -S . -B $(FUZZ_DIR) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_FUZZ=ON -DVELMORA_TESTS=OFF -DVELMORA_BENCHMARKS=OFF >/dev/null
	@cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzzers >$(FUZZ_DIR)/build.log 2>&1 || { cat $(FUZZ_DIR)/build.log; exit 1; }
	@scripts/run-fuzzers $(FUZZ_DIR) $(FUZZ_SECONDS)

bench: test-deps
	@cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF >/dev/null
	@cmake --build $(BENCH_DIR) -j $(JOBS) >$(BENCH_DIR)/build.log 2>&1 || { cat $(BENCH_DIR)/build.log; exit 1; }
	@scripts/run-benchmarks $(BENCH_DIR)

# The Debian package, $(PACKAGE_DIR)/velmora_<version>_<arch>.deb.
package:
	@scripts/install-deps --package
	@cmake -S . -B $(PACKAGE_DIR) -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_BENCHMARKS=OFF >/dev/null
	@cmake --build $(PACKAGE_DIR) -j $(JOBS) --target package

SOURCES = $$(git ls-files --cached --others --exclude-standard '*.cpp' '*.h')

format:
	clang-format -i $(SOURCES)

# Fails on any file that `make format` would change.
format-check: test-deps
	@clang-format --dry-run --Werror $(SOURCES) || { echo "Style differs: run 'make format'." >&2; exit 1; }

clean:
	rm -rf $(BUILD_DIR) $(BENCH_DIR) $(PACKAGE_DIR) $(SANITIZE_DIR) $(FUZZ_DIR)
