#!/bin/sh
# Request round trips through the status agent against direct stat calls on
# the same path. Usage: run.sh <release-build-dir> [path] [seconds]
set -e
build=$(cd "${1:?usage: run.sh <release-build-dir> [path] [seconds]}" && pwd)
path=${2:-$(pwd)}
"$build/bench/statagent/statagent_bench" "$build/statagent/statagent" "$path" "${3:-1}"
