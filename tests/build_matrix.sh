#!/bin/sh
# Builds the kit as a user would, with defaults only (tests included), in
# each build type with GCC and in Release with clang: no combination may fail
# to build. The Debug and GCC Release builds of `make check` are the other rows.
# Usage: build_matrix.sh [build-root]
set -u
root=${1:-build-matrix}
generator=""
command -v ninja >/dev/null 2>&1 && generator="-G Ninja"
jobs=$(nproc)
failed=0
row() {
  name=$1; compiler=$2; type=$3
  if ! command -v "$compiler" >/dev/null 2>&1; then
    echo "$name: skipped ($compiler not installed)"
    return
  fi
  dir="$root/$name"
  log="$root/$name.log"
  mkdir -p "$root"
  if CXX=$compiler CC=$(echo "$compiler" | sed 's/clang++/clang/; s/g++/gcc/') \
       cmake -S . -B "$dir" $generator -DCMAKE_BUILD_TYPE="$type" >"$log" 2>&1 &&
     cmake --build "$dir" -j "$jobs" >>"$log" 2>&1; then
    echo "$name: built ($(grep -c 'warning:' "$log") warnings)"
  else
    echo "$name: FAILED, last lines of $log:"
    tail -n 30 "$log"
    failed=1
  fi
}
row gcc-relwithdebinfo g++ RelWithDebInfo
row gcc-minsizerel g++ MinSizeRel
row clang-release clang++ Release
exit $failed
