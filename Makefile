# Front door. `make run` builds the programs and runs them on the bundled
# examples; `make check` installs missing Debian packages, builds and runs
# every test in a Debug build, all but the slow ones again in a Release build
# and under AddressSanitizer and UndefinedBehaviorSanitizer, replays every
# fuzz corpus, runs a quick valgrind pass and builds the other build types and
# compilers a user may pick.
# `make quick` runs every test but the slow ones (those that build whole
# projects with CMake); `make fuzz`, `make memcheck` and `make bench` are
# separate. Warnings are errors in every target that tests (QOKIT_WERROR),
# never in a user's build, and the tests there require GoogleTest.
JOBS ?= $(shell nproc)
GENERATOR := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")

DEV = -DQOKIT_WERROR=ON -DQOKIT_TESTS=ON

.PHONY: all deps run check quick test test-release test-asan test-tsan test-fuzz test-memcheck test-matrix fuzz memcheck bench clean

all:
	cmake -S . -B build $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug $(DEV)
	cmake --build build -j $(JOBS)

deps:
	sh .ci/install-deps

run:
	cmake -S . -B build-release $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DQOKIT_TESTS=OFF
	cmake --build build-release -j $(JOBS)
	sh examples/run.sh build-release

check: deps
	$(MAKE) test test-release test-asan test-fuzz test-memcheck test-matrix

test:
	cmake -S . -B build $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug $(DEV)
	cmake --build build -j $(JOBS)
	ctest --test-dir build --output-on-failure -j $(JOBS)

# Every test but those labelled slow: the ones that configure, build and
# install whole projects with CMake.
quick:
	cmake -S . -B build $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug $(DEV)
	cmake --build build -j $(JOBS)
	ctest --test-dir build --output-on-failure -j $(JOBS) -LE slow

# GCC's optimiser warns where the Debug build does not. The slow tests (whole
# projects built with CMake against the kit) ran in the Debug build; their
# subject, the CMake package, is the same in every build type.
test-release:
	cmake -S . -B build-relcheck $(GENERATOR) -DCMAKE_BUILD_TYPE=Release $(DEV)
	cmake --build build-relcheck -j $(JOBS)
	ctest --test-dir build-relcheck --output-on-failure -j $(JOBS) -LE slow

# Defaults only, as a user builds: RelWithDebInfo and MinSizeRel with GCC,
# Release with clang.
test-matrix:
	sh tests/build_matrix.sh build-matrix

test-asan:
	cmake -S . -B build-asan $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DQOKIT_SANITIZE=ON -DQOKIT_BENCH=OFF $(DEV)
	cmake --build build-asan -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir build-asan --output-on-failure -j $(JOBS) -LE slow

# The status agent's threads, forks and hung calls under ThreadSanitizer (GCC
# warns that it does not instrument atomic_thread_fence).
test-tsan:
	cmake -S . -B build-tsan $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DQOKIT_BENCH=OFF $(DEV) \
	  "-DCMAKE_CXX_FLAGS=-fsanitize=thread -Wno-tsan" -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread
	cmake --build build-tsan -j $(JOBS) --target statagent_test
	ctest --test-dir build-tsan -R 'AgentPool|AgentLife|Hang' --output-on-failure

# The fuzz targets need clang; without it the replay is skipped with a note.
FUZZ_SECONDS ?= 60
FUZZ_CONFIGURE = CC=clang CXX=clang++ cmake -S . -B build-fuzz $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQOKIT_FUZZ=ON $(DEV)

test-fuzz:
	@if command -v clang++ >/dev/null 2>&1; then \
	  $(FUZZ_CONFIGURE) >/dev/null && cmake --build build-fuzz -j $(JOBS) && \
	  ctest --test-dir build-fuzz --output-on-failure -j $(JOBS); \
	else echo "clang++ not found: fuzz corpus replay skipped (apt-get install clang)"; fi

# Runs every fuzz target for FUZZ_SECONDS on a working copy of its seed corpus.
fuzz:
	$(FUZZ_CONFIGURE)
	cmake --build build-fuzz -j $(JOBS)
	@for f in $$(cat build-fuzz/fuzzers.txt); do \
	  mkdir -p build-fuzz/work/$$f build-fuzz/findings/$$f && \
	  cp -n fuzz/corpus/$$f/* build-fuzz/work/$$f/ 2>/dev/null; \
	  echo "== $$f ($(FUZZ_SECONDS) s)"; \
	  ./build-fuzz/fuzz/*/$$f -max_total_time=$(FUZZ_SECONDS) -close_fd_mask=3 -artifact_prefix=build-fuzz/findings/$$f/ \
	    build-fuzz/work/$$f fuzz/corpus/$$f 2>&1 | tail -n 3 || exit 1; \
	done

# A quick valgrind pass for the test run (a compiler and a reader, with the
# programs they start); `make memcheck` runs every end-to-end test.
MEMCHECK_QUICK = hlp/vexproc_legacy_test kit/dump_tools_test

test-memcheck: test
	@if command -v valgrind >/dev/null 2>&1; then \
	  MEMCHECK_TESTS="$(MEMCHECK_QUICK)" sh tests/memcheck/run.sh build; \
	else echo "valgrind not found: memory check skipped (apt-get install valgrind)"; fi

# The end-to-end tests and the programs they start, under valgrind memcheck.
memcheck:
	cmake -S . -B build $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug $(DEV)
	cmake --build build -j $(JOBS)
	sh tests/memcheck/run.sh build

bench:
	cmake -S . -B build-release $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DQOKIT_TESTS=OFF
	cmake --build build-release -j $(JOBS)
	sh bench/run.sh build-release

clean:
	rm -rf build build-asan build-tsan build-release build-relcheck build-fuzz build-matrix
