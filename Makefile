# Front door. `make run` builds the programs and runs them on the bundled
# examples; `make check` builds and runs every test, then again under
# AddressSanitizer and UndefinedBehaviorSanitizer.
JOBS ?= $(shell nproc)
GENERATOR := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")

.PHONY: all run check test test-asan bench clean

all:
	cmake -S . -B build $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug
	cmake --build build -j $(JOBS)

run:
	cmake -S . -B build-release $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DQOKIT_TESTS=OFF
	cmake --build build-release -j $(JOBS)
	sh examples/run.sh build-release

check: test test-asan

test:
	cmake -S . -B build $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug
	cmake --build build -j $(JOBS)
	ctest --test-dir build --output-on-failure -j $(JOBS)

test-asan:
	cmake -S . -B build-asan $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DQOKIT_SANITIZE=ON -DQOKIT_BENCH=OFF
	cmake --build build-asan -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir build-asan --output-on-failure -j $(JOBS)

bench:
	cmake -S . -B build-release $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DQOKIT_TESTS=OFF
	cmake --build build-release -j $(JOBS)
	sh bench/run.sh build-release

clean:
	rm -rf build build-asan build-release
