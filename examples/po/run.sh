#!/bin/sh
# The PO round trip of a translation: the template for translators from the
# base source, a translated PO file (de.po, as a translator returns it) back
# to a message source, checked against the base and compiled against the
# base's symbol file. The untranslated message keeps the base text.
# Usage: run.sh <build-dir> <output-dir>
set -e
build=$(cd "$1" && pwd)
bin=$build/bin
mkdir -p "$2/de"
out=$(cd "$2" && pwd)
"$bin/qomsgpo" export --pot -o "$out/app.pot" app.msg
"$bin/qomsgpo" import -o "$out/de.msg" de.po app.msg
"$bin/qomsgcheck" --base app.msg -- "$out/de.msg"
"$bin/qogenmsg" gensym "$out/app.h" app.msg </dev/null >/dev/null
"$bin/qogenmsg" genobj "$out/app.h" "$out/de/app.obj" "$out/de.msg" </dev/null >/dev/null
"$bin/qomsgdump" -s "$out/app.h" "$out/de/app.obj" | grep '^[1-9]'
echo "Made $out/app.pot (the template), $out/de.msg (the imported translation) and $out/de/app.obj (its catalogue)."
