#!/bin/sh
# Times qogenmsg gensym, regensym and genobj on generated catalogues of 1k, 10k
# and 49,999 messages over 15 sources, with peak memory, and compares them
# with gettext's msgfmt --check-format on the equivalent .po file.
# Usage: run.sh <release-build-dir>
set -e
build=$(cd "$1" && pwd)
qogenmsg=$build/msgcomp/qogenmsg
gen=$build/bench/msgcomp/msgcat_gen
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Best wall time in seconds of five runs of a command (run in $dir, stdin empty).
best_time() {
  best=""
  for i in 1 2 3 4 5; do
    [ -n "$prepare" ] && eval "$prepare"
    start=$(date +%s%N)
    (cd "$dir" && "$@" </dev/null >/dev/null 2>"$work/err") || { cat "$work/err"; exit 1; }
    end=$(date +%s%N)
    t=$((end - start))
    if [ -z "$best" ] || [ "$t" -lt "$best" ]; then best=$t; fi
  done
  echo "$best" | awk '{ printf "%.4f", $1 / 1e9 }'
}

# Peak resident memory in KiB of one run.
peak_kib() {
  [ -n "$prepare" ] && eval "$prepare"
  (cd "$dir" && /usr/bin/time -f "%M" -o "$work/mem" "$@" </dev/null >/dev/null 2>&1)
  cat "$work/mem"
}

printf "%-9s %-9s %10s %10s\n" messages command seconds peak_KiB
for n in 1000 10000 49999; do
  dir=$work/n$n
  mkdir -p "$dir"
  "$gen" "$n" 15 "$dir"
  set -- $(cat "$dir/sources.txt")
  shift
  prepare="rm -f '$dir/catalogue.h'"
  g=$(best_time "$qogenmsg" gensym catalogue.h "$@")
  gm=$(peak_kib "$qogenmsg" gensym catalogue.h "$@")
  printf "%-9s %-9s %10s %10s\n" "$n" gensym "$g" "$gm"
  prepare=""
  r=$(best_time "$qogenmsg" regensym catalogue.h "$@")
  rm_=$(peak_kib "$qogenmsg" regensym catalogue.h "$@")
  printf "%-9s %-9s %10s %10s\n" "$n" regensym "$r" "$rm_"
  if (cd "$dir" && "$qogenmsg" genobj catalogue.h catalogue.obj "$@" </dev/null >/dev/null 2>&1); then
    o=$(best_time "$qogenmsg" genobj catalogue.h catalogue.obj "$@")
    om=$(peak_kib "$qogenmsg" genobj catalogue.h catalogue.obj "$@")
  else
    o=n/a
    om=n/a
  fi
  printf "%-9s %-9s %10s %10s\n" "$n" genobj "$o" "$om"
  m=$(best_time msgfmt --check-format -o catalogue.mo catalogue.po)
  mm=$(peak_kib msgfmt --check-format -o catalogue.mo catalogue.po)
  printf "%-9s %-9s %10s %10s\n" "$n" msgfmt "$m" "$mm"
  bytes=$(cat "$dir"/part*.msg | wc -c)
  echo "          sources: $bytes bytes; gensym/msgfmt = $(echo "$g $m" | awk '{ printf "%.3f", $1 / $2 }')" \
    "; genobj/msgfmt = $(echo "$o $m" | awk '$1 == "n/a" { print "n/a"; exit } { printf "%.3f", $1 / $2 }')"
done
