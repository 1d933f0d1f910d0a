#!/bin/sh
# The message reader against glibc's gettext and catgets and the floor (an
# array of printf formats in the program) on one catalogue of 49,999
# two-insert messages: the open (with the first message), the resident memory
# it adds, and a lookup and format per call. qomsg-checked opens as a client
# built with the companion header does, checking every message's signature. Instructions are callgrind's
# count (repeatable); wall times are the median of five runs.
# Usage: run.sh <release-build-dir>
set -e
build=$(cd "${1:?usage: run.sh <release-build-dir>}" && pwd)
bench=$build/bench/reader/reader_bench
calls=20000
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$bench" generate "$work"
(cd "$work" && "$build/bin/qogenmsg" gensym bench.h bench.msg && "$build/bin/qogenmsg" genobj bench.h bench.obj bench.msg) \
  </dev/null >/dev/null
mkdir -p "$work/locale/de/LC_MESSAGES"
msgfmt -o "$work/locale/de/LC_MESSAGES/bench.mo" "$work/bench.po"
gencat "$work/bench.cat" "$work/bench.cat.txt"

# Instructions callgrind counts in one function of a run.
instructions() {
  valgrind --tool=callgrind --collect-atstart=no --toggle-collect="$2" --callgrind-out-file="$work/cg.out" \
    "$bench" "$1" "$work" "$calls" >/dev/null 2>&1
  awk '/^summary:/ { print $2 }' "$work/cg.out"
}

# The median of five runs of each wall-clock figure: "open_us growth_KiB ns_per_call".
wall() {
  for run in 1 2 3 4 5; do "$bench" "$1" "$work" "$calls"; done |
    awk '{ o[NR] = $2; g[NR] = $3; c[NR] = $4 }
         function median(a,   i, j, t) { for (i = 1; i <= 5; i++) for (j = i + 1; j <= 5; j++)
                                           if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t }
                                         return a[3] }
         END { print median(o), median(g), median(c) }'
}

printf "%-13s %9s %12s %8s %9s %11s %7s %9s %7s %8s\n" library file_KiB open_instr per_byte open_ms resident_KiB x_file \
  call_instr x_floor ns_call
floor=$(instructions array bench_calls)
for lib in qomsg qomsg-checked gettext catgets array; do
  case $lib in
    qomsg*) file=$work/bench.obj ;;
    gettext) file=$work/locale/de/LC_MESSAGES/bench.mo ;;
    catgets) file=$work/bench.cat ;;
    array) file=/dev/null ;;
  esac
  bytes=$(wc -c <"$file")
  open=$(instructions $lib bench_open)
  call=$(instructions $lib bench_calls)
  set -- $(wall $lib)
  echo "$lib $bytes $open $1 $2 $call $3 $floor $calls" | awk '{
    per_call = $6 / ($9 + 1000); floor_call = $8 / ($9 + 1000)
    if ($1 == "array") printf "%-13s %9s %12s %8s %9s %11s %7s %9.0f %7.2f %8.1f\n", $1, "-", $3, "-", "-", $5, "-",
                              per_call, per_call / floor_call, $7
    else printf "%-13s %9.0f %12d %8.2f %9.3f %11d %7.2f %9.0f %7.2f %8.1f\n", $1, $2 / 1024, $3, $3 / $2, $4 / 1000,
                $5, $5 * 1024 / $2, per_call, per_call / floor_call, $7 }'
done
