#!/bin/sh
# The PO tool against the compiler and gettext on the same catalogue: for
# generated catalogues of 10,000 and 49,999 messages over 15 sources (the
# message compiler benchmark's generator), qogenmsg genobj, qomsgpo export
# (the base language's PO file) and qomsgpo import of that file against the
# sources, with msgfmt --check-format of the same PO file beside them. Each
# figure is the best of five runs: wall-clock and CPU seconds and the peak
# resident memory; the import's peak is also given as a multiple of the PO
# file's size. With valgrind present, the instruction counts of callgrind
# for 10,000 messages follow, the repeatable figures on a shared machine.
# Usage: run.sh <release-build-dir>
set -e
build=$(cd "$1" && pwd)
bin=$build/bin
gen=$build/bench/msgcomp/msgcat_gen
measure=$build/bench/msgcomp/msgcomp_measure
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

row() { printf "%-9s %-16s %8s %8s %10s\n" "$@"; }

row messages command wall_s cpu_s peak_KiB
for n in 10000 49999; do
  dir=$work/n$n
  mkdir -p "$dir"
  "$gen" "$n" 15 "$dir" >/dev/null
  cd "$dir"
  set -- $(cat sources.txt)
  shift
  "$bin/qogenmsg" gensym catalogue.h "$@" </dev/null >/dev/null
  "$bin/qomsgpo" export -o base.po "$@"
  r=$("$measure" 5 -- "$bin/qogenmsg" genobj catalogue.h catalogue.obj "$@"); row "$n" genobj $r
  r=$("$measure" 5 -- "$bin/qomsgpo" export -o base.po "$@"); row "$n" "qomsgpo export" $r
  r=$("$measure" 5 -- "$bin/qomsgpo" import -o back.msg base.po "$@"); row "$n" "qomsgpo import" $r
  import_peak=$(echo $r | cut -d' ' -f3)
  r=$("$measure" 5 -- msgfmt --check-format -o base.mo base.po); row "$n" "msgfmt" $r
  po_kib=$(( $(wc -c <base.po) / 1024 ))
  echo "  PO file $po_kib KiB; import peak $(echo "$import_peak $po_kib" | awk '{ printf "%.2f", $1 / $2 }') x the PO file"
done

if command -v valgrind >/dev/null 2>&1; then
  cd "$work/n10000"
  set -- $(cat sources.txt)
  shift
  count() {
    valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" </dev/null 2>&1 >/dev/null |
      sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
  }
  echo "instructions (callgrind), 10000 messages:"
  genobj=$(count "$bin/qogenmsg" genobj catalogue.h catalogue.obj "$@")
  export=$(count "$bin/qomsgpo" export -o base.po "$@")
  import=$(count "$bin/qomsgpo" import -o back.msg base.po "$@")
  echo "  genobj $genobj, export $export ($(echo "$export $genobj" | awk '{ printf "%.2f", $1 / $2 }') x genobj)," \
    "import $import"
fi
