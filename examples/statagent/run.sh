#!/bin/sh
# Starts the status agent through the client library and asks it about a
# file, a symbolic link to it, a directory and a path that does not exist.
# Usage: run.sh <build-dir> <output-dir>
set -e
build=$1
out=$2
mkdir -p "$out"
echo "backup me" > "$out/data.txt"
ln -sf data.txt "$out/link.txt"
"$build/agentclient/agent-stat" "$build/bin/statagent" \
  "$out/data.txt" "$out/link.txt" "$out" "$out/missing.txt"
echo "Made $out/data.txt and the link $out/link.txt for the agent to look at; the agent itself writes nothing."
