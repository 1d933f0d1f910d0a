#!/bin/sh
# Throughput of both help compilers on a large generated help source
# (4,000 major headings, each with 4 subheadings and 40 text lines, about
# 11 MB). Reports the best of three runs of each program.
# Usage: run.sh <release-build-dir>
set -e
build=$(cd "${1:-../../build-release}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

awk 'BEGIN {
  for (h = 0; h < 4000; h++) {
    printf "$H%d%%%d%%Topic %d$-Topic number %d of the generated help\n", h, h + 1, h, h
    for (s = 0; s < 4; s++) {
      printf "$S%d%%%d%%Part %d.%d$-Part %d of topic %d\n", h * 10 + s, s, h, s, s, h
      for (l = 0; l < 10; l++)
        printf "Line %d of part %d: the client keeps several versions of each file.\n", l, s
    }
  }
}' >"$work/big.txt"
awk 'BEGIN {
  for (h = 0; h < 4000; h++) {
    printf "$H%d%%%d%%Topic %d$HTopic number %d of the generated help\n", h, h + 1, h, h
    for (s = 0; s < 4; s++) {
      printf "$S%d%%%d%%Part %d.%d$S\n$W", h * 10 + s, s, h, s
      for (l = 0; l < 10; l++)
        printf "Line %d of part %d: the client keeps several versions of each file.\n", l, s
      printf "$W\n"
    }
  }
}' >"$work/big.tag"

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# Milliseconds of one run: processor time (user + system) when /usr/bin/time
# is there, since the machine may be busy with other work; else wall time.
one_run() {
  if [ -x /usr/bin/time ]; then
    (cd "$work" && /usr/bin/time -f "%U %S" -o "$work/time" "$@" </dev/null >/dev/null)
    awk '{ printf "%d\n", ($1 + $2) * 1000 }' "$work/time"
  else
    start=$(now_ms)
    (cd "$work" && "$@" </dev/null >/dev/null)
    echo $(($(now_ms) - start))
  fi
}

best_of_three() {
  best=""
  for run in 1 2 3; do
    took=$(one_run "$@")
    if [ -z "$best" ] || [ "$took" -lt "$best" ]; then best=$took; fi
  done
  echo "$best"
}

size=$(wc -c <"$work/big.txt")
ms=$(best_of_three "$build/bin/vexproc" big.txt big.hlp 72)
echo "vexproc:        $size source bytes, $(wc -c <"$work/big.hlp") help bytes, best ${ms} ms"
size=$(wc -c <"$work/big.tag")
ms=$(best_of_three "$build/bin/vexproc-legacy" big.tag big.hlp)
echo "vexproc-legacy: $size source bytes, $(wc -c <"$work/big.hlp") help bytes, best ${ms} ms"
