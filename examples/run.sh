#!/bin/sh
# Runs each bundled example (examples/<name>/run.sh) with the programs of the
# given build directory; each example writes its outputs under <build>/examples.
set -e
build=$(cd "${1:-build-release}" && pwd)
cd "$(dirname "$0")"
ran=0
for script in */run.sh; do
  [ -f "$script" ] || continue
  name=${script%/run.sh}
  echo "== $name"
  mkdir -p "$build/examples/$name"
  (cd "$name" && sh ./run.sh "$build" "$build/examples/$name")
  ran=$((ran + 1))
done
[ "$ran" -gt 0 ] || echo "No example can run yet: no program of the kit is built."
