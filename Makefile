# The two commands of the README, over CMake. Release build in build/release, test build (with
# AddressSanitizer and UndefinedBehaviorSanitizer) in build/test.
JOBS ?= $(shell nproc)

.PHONY: run test tsan build package deps clean format bench

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

# The threaded components' tests (the background writer, the hit spool, the count's worker, the
# one-pass search, the n-gram workers) under ThreadSanitizer; not part of `make test`, whose budget it would double.
tsan: deps
	cmake --preset tsan
	cmake --build build/tsan -j $(JOBS) --target lexmora_engine_tests lexmora-cli
	cd build/tsan && TSAN_OPTIONS=halt_on_error=1 \
		bin/lexmora_engine_tests --gtest_filter='BackgroundWriter*:HitSpool*:OnePass*:SearchRun*:WordcountRun*:WordcountPaths*:WordcountUnreadable*:CountReliability*:NgramWorkers*:NgramSorterTest*:NgramsTest*:CorpusCounterFiles*:CollocatesOverACorpus*'

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
