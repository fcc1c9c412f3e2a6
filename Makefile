# make test   install what is missing, build both targets, run every test
# make demo   the program answering a call from the stand-in client
# make bench  speed, latency, idle cost and footprint
# make faults what the tests catch of the seeded faults in tests/seeded-faults.txt
SHELL := /bin/bash
JOBS ?= 2
X64 := build/x64
X86 := build/x86
NATIVE := build/native

.PHONY: all deps build test demo bench faults clean

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
	@tools/demo.sh

bench: build
	@tools/bench.sh

faults: deps
	@tools/seeded-faults.sh

clean:
	rm -rf build
