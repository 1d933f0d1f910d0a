#!/bin/sh
# Plural messages: qomsg_format_plural against glibc's ngettext + snprintf, the
# standing form through qomsg_format, and the floor (the program's own forms
# and rule), on 2,000 Russian messages of three forms. Instructions per call
# are callgrind's count (repeatable); wall times are the median of five runs.
# Usage: run.sh <release-build-dir>
set -e
build=$(cd "${1:?usage: run.sh <release-build-dir>}" && pwd)
bench=$build/bench/plural/plural_bench
calls=20000
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$bench" generate "$work"
(cd "$work" && "$build/bin/qogenmsg" gensym plural.h plural.msg && "$build/bin/qogenmsg" genobj plural.h plural.obj plural.msg) \
  </dev/null >/dev/null
mkdir -p "$work/locale/ru/LC_MESSAGES"
msgfmt -o "$work/locale/ru/LC_MESSAGES/pbench.mo" "$work/plural.po"

instructions() {
  valgrind --tool=callgrind --collect-atstart=no --toggle-collect=bench_calls --callgrind-out-file="$work/cg.out" \
    "$bench" "$1" "$work" "$calls" >/dev/null 2>&1
  awk '/^summary:/ { print $2 }' "$work/cg.out"
}
wall() {
  for run in 1 2 3 4 5; do "$bench" "$1" "$work" "$calls"; done | awk '{ print $2 }' | sort -n | sed -n 3p
}

printf "%-13s %10s %8s %8s\n" library instr_call x_floor ns_call
floor=$(instructions array)
for lib in qomsg-plural qomsg gettext array; do
  echo "$lib $(instructions $lib) $floor $calls $(wall $lib)" |
    awk '{ printf "%-13s %10.0f %8.2f %8.1f\n", $1, $2 / $4, $2 / $3, $5 }'
done
