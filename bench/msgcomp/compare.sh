#!/bin/sh
# Shows that two builds of qogenmsg write the same bytes: the generated
# catalogues of 1k, 10k and 49,999 messages (header and object file, with the
# compile times set alike by the older build's qostamp), then mutated sources
# and symbol files (compare_outputs: standard output, standard error, exit
# status and every output file of regensym, gensym and genobj).
# Usage: compare.sh <release-build-dir> <older-build-dir> [mutation-cases]
set -e
build=$(cd "$1" && pwd)
old=$(cd "$2" && pwd)
cases=${3:-3000}
tools=$build/bench/msgcomp
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unset SOURCE_DATE_EPOCH

for n in 1000 10000 49999; do
  mkdir -p "$work/$n"
  "$tools/msgcat_gen" "$n" 15 "$work/$n"
  set -- $(cat "$work/$n/sources.txt")
  shift
  for side in new old; do
    bin=$build/bin
    [ "$side" = old ] && bin=$old/bin
    (cd "$work/$n" && "$bin/qogenmsg" regensym "$side.h" "$@" && "$bin/qogenmsg" genobj "$side.h" "$side.obj" "$@" &&
      "$old/bin/qostamp" 1700000000 "$side.h" "$side.obj") </dev/null >/dev/null
  done
  cmp "$work/$n/new.h" "$work/$n/old.h"
  cmp "$work/$n/new.obj" "$work/$n/old.obj"
  echo "$n messages: header ($(wc -c <"$work/$n/new.h") bytes) and object file ($(wc -c <"$work/$n/new.obj") bytes) identical"
done

# The generated catalogue counts three times among the seeds: most of the test
# cases' sources are faults already.
"$tools/msgcat_gen" 200 3 "$work/seed"
seeds="$work/seed/part0.msg $work/seed/part1.msg $work/seed/part2.msg"
"$tools/compare_outputs" "$build/bin" "$old/bin" "$cases" $seeds $seeds $seeds "$root"/examples/*/*.msg \
  "$root"/tests/e2e/cases/*/in/*.msg -- "$root"/tests/e2e/cases/*/in/*.h "$root"/fuzz/corpus/msg_symfile/*
