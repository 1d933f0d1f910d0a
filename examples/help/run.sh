#!/bin/sh
# Compiles the bundled help source of the backup client into client.hlp
# (line length 72); the listing goes to the output directory's struct.doc.
# Usage: run.sh <build-dir> <output-dir>
set -e
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
cp client.txt "$out/client.txt"
cd "$out"
"$build/bin/vexproc" client.txt client.hlp 72 </dev/null >vexproc.log
tail -n 1 vexproc.log
grep -q "Finished... 0 errors found." vexproc.log
echo "Made $out/client.hlp ($(wc -c <client.hlp) bytes, the help file) and $out/struct.doc (its structure listing)."
