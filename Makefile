# The everyday commands; each one installs what it needs first.
BUILD ?= build
SANITIZE_BUILD ?= build-sanitize
LIBCXX_BUILD ?= build-libcxx
ARM64_BUILD ?= build-arm64
JOBS ?= $(shell nproc 2>/dev/null || sysctl -n hw.ncpu 2>/dev/null || echo 2)

.PHONY: all deps configure build demo test test-sanitize test-libcxx fuzz bench clean

all: build

deps:
	scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Only what the demo runs: the program and the stand-in IDE, not the test suite.
demo: configure
	cmake --build $(BUILD) -j $(JOBS) --target quillo quillo-standin
	scripts/demo.sh $(BUILD)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The same tests with AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps
	cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Debug -DQUILLO_SANITIZE=ON
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	ctest --test-dir $(SANITIZE_BUILD) --output-on-failure -j $(JOBS)

# The same tests built with clang and libc++, the standard library of macOS. GoogleTest is built
# from its sources there, as the installed one is for libstdc++.
test-libcxx: deps
	scripts/install-deps.sh libcxx
	CC=clang CXX=clang++ cmake -S . -B $(LIBCXX_BUILD) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_CXX_FLAGS=-stdlib=libc++ -DQUILLO_GTEST_FROM_SOURCE=ON
	cmake --build $(LIBCXX_BUILD) -j $(JOBS)
	ctest --test-dir $(LIBCXX_BUILD) --output-on-failure -j $(JOBS)

# The program and the stand-in IDE cross-compiled for 64-bit ARM Linux, without the test suite,
# which runs what it builds; scripts/check-arm64.sh runs them under qemu against the native build.
.PHONY: build-arm64
build-arm64:
	scripts/install-deps.sh arm64
	cmake -S . -B $(ARM64_BUILD) --toolchain cmake/aarch64-linux-gnu.cmake -DCMAKE_BUILD_TYPE=Release \
	  -DQUILLO_TESTS=OFF
	cmake --build $(ARM64_BUILD) -j $(JOBS)

# Each fuzz target for FUZZ_SECONDS (scripts/fuzz.sh for more choices).
FUZZ_SECONDS ?= 60
fuzz:
	scripts/fuzz.sh $(FUZZ_SECONDS)

bench: build
	scripts/install-deps.sh bench
	python3 bench/run.py --build $(BUILD)

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(LIBCXX_BUILD) $(ARM64_BUILD)
