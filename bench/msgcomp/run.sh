#!/bin/sh
# The message compiler against its I/O floor and gettext's msgfmt, on
# generated catalogues of 1, 1k, 10k and 49,999 messages over 15 sources.
#
# Every row is one command: its instruction count under callgrind (repeatable
# within 0.1 %), the best wall time of five runs (this machine is shared, so
# expect 20 % and more of noise), the peak resident memory, and a ratio. The
# compiler rows give their ratio to the floor above them (io_floor), which
# reads every file the command reads, byte by byte, and writes as many bytes
# as the command writes:
#   gensym, regensym   sources in, header out
#   gensym-over-header sources and an up-to-date header in, nothing out
#   genobj             sources and header in, object file out
# The PO rows give their instructions against genobj of the same catalogue,
# and qomsgpo import also its peak memory against the PO file's size. The
# plural rows compile the same catalogue with one message in ten plural,
# against genobj without plurals, and msgfmt of its PO file against that.
#
# With a second build directory (an older build of the kit) every kit row is
# also run with its programs, in the same run, so before and after compare on
# the same machine state. The end gives each command's growth from 1k to 50k
# messages: instructions per message and the fixed part.
#
# Usage: run.sh <release-build-dir> [<older-build-dir>]
# (MSGCOMP_BENCH_SIZES="1 1000" runs fewer sizes, for a quick look;
# MSGCOMP_BENCH_PLURAL_SIZES those of the plural rows, 10000 by default.)
set -e
build=$(cd "$1" && pwd)
old=""
[ -n "$2" ] && old=$(cd "$2" && pwd)
tools=$build/bench/msgcomp
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export LC_ALL=C
results=$work/results

# Instructions of one run of a command in $dir (standard input /dev/null).
instructions() {
  (cd "$dir" && valgrind --tool=callgrind --callgrind-out-file=/dev/null --log-file="$work/vg.log" \
    "$@" </dev/null >/dev/null 2>&1) || true
  sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$work/vg.log"
}

# row LABEL BASE COMMAND...: measures COMMAND in $dir and prints its row with
# its ratio to BASE instructions (none when BASE is 0). Sets $last and
# $last_peak (KiB) and records "messages label instructions" for the growth.
# A file named by $remove is deleted before every run.
row() {
  label=$1 base=$2
  shift 2
  [ -n "$remove" ] && rm -f "$dir/$remove"
  last=$(instructions "$@")
  [ -n "$remove" ] && rm -f "$dir/$remove"
  set -- $(cd "$dir" && "$tools/msgcomp_measure" 5 ${remove:+--remove "$remove"} -- "$@")
  last_peak=$3
  printf "%9s  %-26s %9.2f %9.1f %9.1f %7s\n" "$n" "$label" "$(echo "$last" | awk '{ print $1 / 1e6 }')" \
    "$(echo "$1" | awk '{ print $1 * 1000 }')" "$(echo "$3" | awk '{ print $1 / 1024 }')" \
    "$(echo "$last $base" | awk '{ if ($2 > 0) printf "%.2f", $1 / $2; else print "-" }')"
  echo "$n $(echo "$label" | tr ' ' '_') $last" >>"$results"
}

# kit LABEL BASE PROGRAM ARGS...: the row with this build's program, then with the older build's.
kit() {
  label=$1 base=$2 program=$3
  shift 3
  row "$label" "$base" "$build/bin/$program" "$@"
  if [ -n "$old" ]; then row "$label (old)" "$base" "$old/bin/$program" "$@"; fi
}

size() { wc -c <"$dir/$1" | tr -d ' '; }

printf "%9s  %-26s %9s %9s %9s %7s\n" messages command instr_M wall_ms peak_MiB ratio
for n in ${MSGCOMP_BENCH_SIZES:-1 1000 10000 49999}; do
  dir=$work/n$n
  mkdir -p "$dir"
  "$tools/msgcat_gen" "$n" 15 "$dir"
  set -- $(cat "$dir/sources.txt")
  shift
  sources="$*"
  compile() { (cd "$dir" && "$build/bin/qogenmsg" "$@" </dev/null >/dev/null); }

  remove=""
  compile regensym catalogue.h $sources
  header=$(size catalogue.h)
  row "floor: gensym" 0 "$tools/io_floor" floor.out "$header" $sources
  floor=$last
  remove=catalogue.h
  kit "gensym" "$floor" qogenmsg gensym catalogue.h $sources
  remove=""
  compile regensym catalogue.h $sources
  kit "regensym" "$floor" qogenmsg regensym catalogue.h $sources
  compile regensym catalogue.h $sources
  row "floor: gensym-over-header" 0 "$tools/io_floor" floor.out 0 catalogue.h $sources
  kit "gensym-over-header" "$last" qogenmsg gensym catalogue.h $sources
  compile genobj catalogue.h catalogue.obj $sources
  object=$(size catalogue.obj)
  row "floor: genobj" 0 "$tools/io_floor" floor.out "$object" catalogue.h $sources
  kit "genobj" "$last" qogenmsg genobj catalogue.h catalogue.obj $sources
  genobj=$(awk -v n="$n" '$1 == n && $2 == "genobj" { print $3 }' "$results")
  [ "$n" -eq 1 ] && continue

  po=$(size catalogue.po)
  row "msgfmt --check-format" "$genobj" msgfmt --check-format -o catalogue.mo catalogue.po
  kit "qomsgpo export" "$genobj" qomsgpo export -o export.po $sources
  for program in "$build" $old; do
    label="qomsgpo import"
    [ "$program" = "$build" ] || label="qomsgpo import (old)"
    row "$label" "$genobj" "$program/bin/qomsgpo" import -o import.msg catalogue.po $sources
    echo "$last_peak $po" | awk '{ printf "%38s peak %.2f x the PO file\n", "", $1 * 1024 / $2 }'
  done
  echo "           $(cat "$dir"/part*.msg | wc -c) source bytes; header $header, object $object, PO $po bytes"
done

# Plural messages (one in ten, Russian's three forms): genobj of the same
# catalogue with and without them, and msgfmt of its PO file as the peer.
for n in ${MSGCOMP_BENCH_PLURAL_SIZES:-10000}; do
  dir=$work/plural$n
  mkdir -p "$dir"
  "$tools/msgcat_gen" "$n" 15 "$dir" plural
  set -- $(cat "$dir/sources.txt")
  shift
  sources="$*"
  (cd "$dir" && "$build/bin/qogenmsg" regensym catalogue.h $sources </dev/null >/dev/null)
  plain=$(awk -v n="$n" '$1 == n && $2 == "genobj" { print $3 }' "$results")
  remove=""
  row "genobj, 1 in 10 plural" "${plain:-0}" "$build/bin/qogenmsg" genobj catalogue.h catalogue.obj $sources
  row "msgfmt, 1 in 10 plural" "$last" msgfmt --check-format -o catalogue.mo catalogue.po
done

echo
echo "Growth from 1k to 49,999 messages: instructions per message, the fixed part, and one message:"
awk '$1 == 1000 { a[$2] = $3 } $1 == 49999 { b[$2] = $3 } $1 == 1 { one[$2] = $3 }
  END {
    for (k in b) {
      slope = (b[k] - a[k]) / 48999
      printf "  %-28s %7.0f per message, fixed %6.2f M, one message %s M\n", k, slope, (a[k] - slope * 1000) / 1e6,
        (k in one) ? sprintf("%.2f", one[k] / 1e6) : "-"
    }
  }' "$results" | sort
