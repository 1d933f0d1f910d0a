#!/bin/sh
# Compiles the example messages (demo.msg) and the bundled help source, then
# reads one formatted message and one help section back through the reader
# libraries (kit-example) and prints the object file back as source.
# Usage: run.sh <build-dir> <output-dir>
set -e
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
here=$(pwd)
help_source="$here/../help/client.txt"
cd "$out"
LC_ALL=C "$build/msgcomp/qogenmsg" regensym demo.h "$here/demo.msg" </dev/null
LC_ALL=C "$build/msgcomp/qogenmsg" genobj demo.h demo.obj "$here/demo.msg" </dev/null
LC_ALL=C "$build/common/hlp/vexproc" "$help_source" client.hlp 72 </dev/null >vexproc.log
grep -q "Finished... 0 errors found." vexproc.log
"$build/kit/kit-example" demo.obj client.hlp
echo "-- qomsgdump -s demo.h demo.obj"
"$build/kit/qomsgdump" -s demo.h demo.obj
"$build/kit/vexdump" client.hlp >vexdump.txt
echo "-- vexdump: $(grep -c '^== ' vexdump.txt) sections, tables consistent"
