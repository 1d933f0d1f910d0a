#!/bin/sh
# Times qogenmsg gensym, regensym and genobj on generated catalogues of 1k, 10k
# and 49,999 messages over 15 sources, with peak memory, and compares them
# with gettext's msgfmt --check-format on the equivalent .po file.
# Each figure is the best of five runs: wall-clock seconds, CPU seconds (user +
# system, steadier on a shared machine) and the peak resident memory.
# Usage: run.sh <release-build-dir>
set -e
build=$(cd "$1" && pwd)
qogenmsg=$build/bin/qogenmsg
gen=$build/bench/msgcomp/msgcat_gen
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
remove=""

# "wall cpu peak_KiB": the best of five runs of a command in $dir.
measure() {
  (cd "$dir" && "$build/bench/msgcomp/msgcomp_measure" 5 $remove -- "$@")
}

row() { printf "%-9s %-9s %8s %8s %10s\n" "$@"; }

row messages command wall_s cpu_s peak_KiB
for n in 1000 10000 49999; do
  dir=$work/n$n
  mkdir -p "$dir"
  "$gen" "$n" 15 "$dir"
  set -- $(cat "$dir/sources.txt")
  shift
  remove="--remove catalogue.h"
  set -- $(measure "$qogenmsg" gensym catalogue.h "$@") "$@"
  gw=$1 gc=$2; row "$n" gensym "$1" "$2" "$3"; shift 3
  remove=""
  set -- $(measure "$qogenmsg" regensym catalogue.h "$@") "$@"
  row "$n" regensym "$1" "$2" "$3"; shift 3
  set -- $(measure "$qogenmsg" genobj catalogue.h catalogue.obj "$@") "$@"
  ow=$1 oc=$2; row "$n" genobj "$1" "$2" "$3"; shift 3
  blocks=$(($(wc -c <"$dir/catalogue.obj") / 64))
  set -- $(measure msgfmt --check-format -o catalogue.mo catalogue.po) "$@"
  mw=$1 mc=$2; row "$n" msgfmt "$1" "$2" "$3"; shift 3
  bytes=$(cat "$dir"/part*.msg | wc -c)
  echo "  $bytes source bytes, $blocks object blocks; against msgfmt (wall, cpu):" \
    "gensym $(echo "$gw $mw $gc $mc" | awk '{ printf "%.3f, %.3f", $1 / $2, $3 / ($4 > 0 ? $4 : 1) }')," \
    "genobj $(echo "$ow $mw $oc $mc" | awk '{ printf "%.3f, %.3f", $1 / $2, $3 / ($4 > 0 ? $4 : 1) }')"
done
