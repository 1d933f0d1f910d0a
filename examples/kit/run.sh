#!/bin/sh
# Shows the example client (kit-example) on the message tree the build made
# (the base catalogue of demo.msg and its German translation translations/de.msg):
# in the C locale, in German, and falling back past a translation whose
# arguments drifted; then one help section of the bundled help source, and
# the object file printed back as source.
# Usage: run.sh <build-dir> <output-dir>
set -e
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
here=$(pwd)
example="$build/kit/example"
help_source="$here/../help/client.txt"
cd "$out"
rm -rf messages
cp -R "$example/messages" messages
# A French translation that shows argument 1 of message 2 as a string where
# the program passes an int: it compiles, but the client refuses to load it.
mkdir -p messages/fr
cat >drifted.fr.msg <<'MSG'
1 I KIT_BACKUP_DONE "Sauvegarde de @1%s : @2%d fichiers, @3%.1f Mo."
2 W KIT_SKIPPED "@2%s : fichiers @1%s ignores."
MSG
LC_ALL=C "$build/bin/qogenmsg" genobj "$example/demo.h" messages/fr/demo.obj drifted.fr.msg </dev/null >/dev/null
LC_ALL=C "$build/bin/vexproc" "$help_source" client.hlp 72 </dev/null >vexproc.log
grep -q "Finished... 0 errors found." vexproc.log
show() {
  echo "-- $1"
  env -u LC_ALL -u LC_MESSAGES -u LANG -u LANGUAGE $1 "$build/kit/kit-example" messages $2
}
show "LANG=C" client.hlp
show "LANGUAGE=de LANG=en_US.UTF-8"
show "LANGUAGE=fr:de"
show "LANG=fr_FR.UTF-8"
echo "-- qomsgdump -s demo.h messages/de/demo.obj"
"$build/bin/qomsgdump" -s "$example/demo.h" messages/de/demo.obj
"$build/bin/vexdump" client.hlp >vexdump.txt
echo "-- vexdump: $(grep -c '^== ' vexdump.txt) sections, tables consistent"
echo "Made $out/messages (the catalogue tree with a refused French translation), $out/client.hlp and $out/vexdump.txt."
