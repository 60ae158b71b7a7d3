# Glowmoth: thin wrapper around CMake.
#
#   make run     build (release) and play the show in a window
#   make test    build with ASan/UBSan and run the whole test suite
#   make bench   build the benchmarks (release) and run them
#   make fuzz    build the libFuzzer targets (clang) and run each for FUZZ_SECONDS
#   make video   build (release) and render the show to VIDEO_DIR (show.mp4, captions)
#   make narration  time every passage of the script and rewrite show/NARRATION.md
#
# Each target first installs whatever Debian packages are missing.

JOBS          ?= $(shell nproc)
RELEASE_DIR   ?= build/release
TEST_DIR      ?= build/test
BENCH_DIR     ?= build/bench
FUZZ_DIR      ?= build/fuzz
FUZZ_SECONDS  ?= 30
VIDEO_DIR     ?= build/video
CTEST_ARGS    ?=

.PHONY: all deps build run test bench fuzz video narration clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	cmake -S . -B $(RELEASE_DIR) -DCMAKE_BUILD_TYPE=Release -DGLOWMOTH_TESTS=OFF
	cmake --build $(RELEASE_DIR) -j $(JOBS)

run: build
	$(RELEASE_DIR)/bin/glowmoth w

test: deps
	cmake -S . -B $(TEST_DIR) -DCMAKE_BUILD_TYPE=Debug -DGLOWMOTH_SANITIZE=ON -DGLOWMOTH_TESTS=ON
	cmake --build $(TEST_DIR) -j $(JOBS)
	cd $(TEST_DIR) && ctest --output-on-failure -j $(JOBS) $(CTEST_ARGS)

bench: deps
	cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DGLOWMOTH_TESTS=OFF -DGLOWMOTH_BENCH=ON
	cmake --build $(BENCH_DIR) -j $(JOBS)
	scripts/run-benchmarks.sh $(BENCH_DIR)

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGLOWMOTH_TESTS=OFF -DGLOWMOTH_FUZZ=ON
	cmake --build $(FUZZ_DIR) -j $(JOBS)
	scripts/run-fuzzers.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

video: build
	cd $(RELEASE_DIR)/bin && ./glowmoth-render -o $(abspath $(VIDEO_DIR))

narration: deps
	cmake -S . -B $(RELEASE_DIR) -DCMAKE_BUILD_TYPE=Release -DGLOWMOTH_TESTS=OFF
	cmake --build $(RELEASE_DIR) -j $(JOBS) --target glowmoth-script glowmoth-speechtime
	scripts/narration-table.sh $(RELEASE_DIR) > show/NARRATION.md

clean:
	rm -rf build
