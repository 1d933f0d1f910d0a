#!/bin/sh
# Runs each benchmark folder's run.sh with the given release build directory.
set -e
build=$(cd "${1:-build-release}" && pwd)
cd "$(dirname "$0")"
for script in */run.sh; do
  [ -f "$script" ] || continue
  echo "== ${script%/run.sh}"
  (cd "${script%/run.sh}" && sh ./run.sh "$build")
done
