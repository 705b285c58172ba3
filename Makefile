# Every target installs what is missing first, then builds in build/<config>.
JOBS ?= $(shell nproc)
DEPS := scripts/install-deps

.PHONY: all deps debug demo run test bench fuzz screenshots package clean

all: debug

deps:
	@$(DEPS)

debug: deps
	cmake -S . -B build/debug -G Ninja -DCMAKE_BUILD_TYPE=Debug
	cmake --build build/debug -j $(JOBS)

run: debug
	build/debug/src/app/pelvaro-launcher

# Only what the demo runs is built.
demo: deps
	scripts/build-demo build/debug
	scripts/demo build/debug

test: deps
	cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPELVARO_SANITIZE=ON -DPELVARO_WARNINGS_AS_ERRORS=ON -DCMAKE_INSTALL_PREFIX=/usr
	cmake --build build/asan -j $(JOBS)
	cd build/asan && ctest --output-on-failure -j $(JOBS)

bench: deps
	cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build build/release -j $(JOBS)
	scripts/run-benchmarks build/release

fuzz: deps
	CXX=clang++ CC=clang cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELVARO_FUZZ=ON
	cmake --build build/fuzz -j $(JOBS) --target plist_reader_fuzzer
	scripts/run-fuzzer build/fuzz $(or $(FUZZ_SECONDS),600)

screenshots: debug
	scripts/screenshots build/debug build/screenshots

package: deps
	cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DBUILD_TESTING=OFF
	cmake --build build/package -j $(JOBS)
	cd build/package && cpack -G DEB

clean:
	rm -rf build
