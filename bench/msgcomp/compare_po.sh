#!/bin/sh
# Shows that two builds of qomsgpo give the same bytes: standard output,
# standard error, exit status and every file of the folder it ran in, for
#   - export (plain, --pot, --no-context) of the generated catalogues of 1k,
#     10k and 49,999 messages, and import of what export wrote (with the
#     sources as base and alone) and of the generator's own PO file;
#   - every command of the golden qomsgpo cases;
#   - the real PO files of tests/kit/data, imported alone;
#   - mutated PO files (imported with their base and alone, with and without
#     --keep-going, into a file and into a device) and mutated sources
#     (exported three ways).
# Usage: compare_po.sh <release-build-dir> <older-build-dir> [mutations]
set -e
build=$(cd "$1" && pwd)
old=$(cd "$2" && pwd)
mutations=${3:-300}
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export LC_ALL=C
same=0
differ=0

# both DIR ARGS...: qomsgpo ARGS in a copy of DIR with each build, compared.
both() {
  dir=$1
  shift
  for side in new old; do
    bin=$build/bin
    [ "$side" = old ] && bin=$old/bin
    rm -rf "$work/$side"
    cp -R "$dir" "$work/$side"
    # Standard output is a pipe, so "-o /dev/stdout" writes to a device.
    (cd "$work/$side" && { "$bin/qomsgpo" "$@" </dev/null 2>"$work/$side.stderr"; echo $? >"$work/$side.status"; } |
      cat >"$work/$side.stdout")
  done
  if cmp -s "$work/new.stdout" "$work/old.stdout" && cmp -s "$work/new.stderr" "$work/old.stderr" &&
    cmp -s "$work/new.status" "$work/old.status" && diff -r "$work/new" "$work/old" >/dev/null; then
    same=$((same + 1))
  else
    differ=$((differ + 1))
    echo "differs: (in $dir) qomsgpo $*"
  fi
}

# Generated catalogues: export's PO file, and import of it back.
for n in 1000 10000 49999; do
  dir=$work/gen$n
  mkdir -p "$dir"
  "$build/bench/msgcomp/msgcat_gen" "$n" 15 "$dir"
  set -- $(cat "$dir/sources.txt")
  shift
  sources="$*"
  (cd "$dir" && "$old/bin/qomsgpo" export -o export.po $sources && "$old/bin/qomsgpo" export --pot -o export.pot $sources)
  both "$dir" export -o out.po $sources
  both "$dir" export --pot -o out.po $sources
  both "$dir" export --no-context -o out.po $sources
  both "$dir" import -o out.msg export.po $sources
  both "$dir" import -o out.msg export.pot
  both "$dir" import -o out.msg catalogue.po $sources
  both "$dir" import catalogue.po $sources
done
echo "generated catalogues: $same same, $differ differ"

# Every command of the golden cases of qomsgpo, each in a fresh copy of in/.
for case in "$root"/tests/e2e/cases/qomsgpo-*; do
  while IFS= read -r line; do
    [ -n "$line" ] || continue
    set -f
    set -- $line
    set +f
    [ "$1" = qomsgpo ] || continue
    shift
    both "$case/in" "$@"
  done <"$case/cmd"
done
echo "with the golden cases: $same same, $differ differ"

# Real PO files, alone (their projects' sources are not here).
mkdir -p "$work/real"
for po in "$root"/tests/kit/data/*-po/*.po; do
  cp "$po" "$work/real/$(basename "$(dirname "$po")")-$(basename "$po")"
done
for po in "$work"/real/*.po; do
  both "$work/real" import -o out.msg "$(basename "$po")"
  both "$work/real" import --keep-going "$(basename "$po")"
done
echo "with the real PO files: $same same, $differ differ"

# Mutations: seed k's file mutated at a line chosen by k, one of several ways.
# mutate FILE K OUT
mutate() {
  awk -v k="$2" 'BEGIN { srand(k) } { line[NR] = $0 } END {
    at = int(rand() * NR) + 1; kind = k % 12; col = int(rand() * (length(line[at]) + 1))
    split("\" \\\\ @ % x # \t \377 n $ * ]", put, " ")
    for (i = 1; i <= NR; i++) {
      s = line[i]
      if (i == at) {
        if (kind == 0) continue
        if (kind == 1) print s
        if (kind == 2 && i < NR) { print line[i + 1]; line[i + 1] = s; continue }
        if (kind == 3) s = substr(s, 1, col) put[int(rand() * 12) + 1] substr(s, col + 1)
        if (kind == 4) print "#, fuzzy"
        if (kind == 5) exit
        if (kind == 6) s = substr(s, 1, col) substr(s, col + 2)
        if (kind == 7) s = substr(s, 1, col) "%d" substr(s, col + 1)
        if (kind == 8) s = substr(s, 1, col) "@1%s" substr(s, col + 1)
        if (kind == 9) print "msgctxt \"MSG_" int(rand() * 100) "\""
        if (kind == 10) s = substr(s, 1, col) "\\n\"\n\"" substr(s, col + 1)
        if (kind == 11) s = substr(s, 1, col) "\303" substr(s, col + 1)
      }
      print s
    }
  }' "$1" >"$3"
}

seeds=$work/seeds
mkdir -p "$seeds/gen"
"$build/bench/msgcomp/msgcat_gen" 200 3 "$seeds/gen"
(cd "$seeds/gen" && "$old/bin/qomsgpo" export -o export.po part0.msg part1.msg part2.msg)
for case in export-and-import plural; do
  cp -R "$root/tests/e2e/cases/qomsgpo-$case/in" "$seeds/$case"
  (cd "$seeds/$case" && "$old/bin/qomsgpo" export -o export.po app.msg 2>/dev/null) || true
done
# seed: folder, PO file, base sources
set -- "gen catalogue.po part0.msg part1.msg part2.msg" "gen export.po part0.msg part1.msg part2.msg" \
  "export-and-import de.po app.msg" "export-and-import export.po app.msg" "plural ru.po app.msg" \
  "plural de.po app.msg" "plural export.po app.msg"
count=$#
k=0
while [ "$k" -lt "$mutations" ]; do
  eval "seed=\${$((k % count + 1))}"
  set -f
  set -- $seed
  set +f
  folder=$1 po=$2
  shift 2
  rm -rf "$work/m"
  cp -R "$seeds/$folder" "$work/m"
  mutate "$seeds/$folder/$po" "$k" "$work/m/$po"
  both "$work/m" import -o out.msg "$po" "$@"
  both "$work/m" import --keep-going -o out.msg "$po" "$@"
  both "$work/m" import "$po"
  both "$work/m" import -o /dev/stdout "$po" "$@"
  # and one of the sources for export
  source=$1
  cp "$seeds/$folder/$source" "$work/m/$source"
  mutate "$seeds/$folder/$source" "$((k + 7))" "$work/m/$source"
  both "$work/m" export -o out.po "$@"
  both "$work/m" export --pot "$@"
  both "$work/m" export --no-context -o out.po "$@"
  k=$((k + 1))
  set -- "gen catalogue.po part0.msg part1.msg part2.msg" "gen export.po part0.msg part1.msg part2.msg" \
    "export-and-import de.po app.msg" "export-and-import export.po app.msg" "plural ru.po app.msg" \
    "plural de.po app.msg" "plural export.po app.msg"
done
echo "with $mutations mutated PO files and sources: $same same, $differ differ"
[ "$differ" -eq 0 ]
