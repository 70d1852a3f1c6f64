# The two commands of the README, over CMake. Release build in build/release, test build (with
# AddressSanitizer and UndefinedBehaviorSanitizer) in build/test.
JOBS ?= $(shell nproc)

.PHONY: run test build package deps clean format bench

run: deps build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then build/release/bin/lexmora; \
	else bash scripts/demo.sh build/release/bin; fi

build:
	cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DLEXMORA_BUILD_TESTS=OFF
	cmake --build build/release -j $(JOBS)

test: deps
	cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLEXMORA_SANITIZE=ON
	cmake --build build/test -j $(JOBS)
	cd build/test && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --output-on-failure -j $(JOBS) --timeout 600

# The .deb of the Release build (dpkg-shlibdeps, from build-essential's dpkg-dev, names the
# Debian packages of the libraries it needs).
package: deps build
	cd build/release && cpack

deps:
	@bash scripts/install-deps.sh

format:
	clang-format -i $$(git ls-files 'src/*.h' 'src/*.cpp' 'tests/*.h' 'tests/*.cpp' 'bench/*.cpp')

clean:
	rm -rf build
