#!/bin/sh
# Compiles the bundled legacy help source into client.hlp; the listing goes
# to the output directory's struct.doc.
# Usage: run.sh <build-dir> <output-dir>
set -e
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
cp client.tag "$out/client.tag"
cd "$out"
"$build/bin/vexproc-legacy" client.tag client.hlp </dev/null >vexproc-legacy.log
tail -n 1 vexproc-legacy.log
echo "Made $out/client.hlp ($(wc -c <client.hlp) bytes, the help file) and $out/struct.doc (its structure listing)."
