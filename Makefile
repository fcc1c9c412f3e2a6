# make test   install what is missing, build both targets, run every test
# make demo   the program answering a call from the stand-in client (ARCH=x86: the shipped 32-bit one)
# make dist   dist/Ringlock-<version>.zip for Windows users, and dist/SHA256SUMS
# make bench  speed, latency, idle cost and footprint
# make faults what the tests catch of the seeded faults in tests/seeded-faults.txt
SHELL := /bin/bash
JOBS ?= 2
ARCH ?= x64
X64 := build/x64
X86 := build/x86
NATIVE := build/native

.PHONY: all deps build test demo dist bench faults clean

all: build

deps:
	@tools/install-deps.sh

build: deps
	@cmake -S . -B $(X64) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake -S . -B $(X86) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug >/dev/null
	cmake --build $(NATIVE) -j $(JOBS)
	cmake --build $(X64) -j $(JOBS)
	cmake --build $(X86) -j $(JOBS)

test: build
	@tools/run-tests.sh

demo: build
	@ARCH=$(ARCH) tools/demo.sh

dist: deps
	@cmake -S . -B $(X86) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(X86) --target Ringlock -j $(JOBS)
	@tools/dist.sh dist

bench: build
	@tools/bench.sh

faults: deps
	@tools/seeded-faults.sh

clean:
	rm -rf build dist
