#!/bin/sh
# The agent against direct lstat, the ping-pong floor and pools of agents, on
# the paths of a real tree. Usage: run.sh <release-build-dir> [tree] [seconds]
set -e
build=$(cd "${1:?usage: run.sh <release-build-dir> [tree] [seconds]}" && pwd)
"$build/bench/statagent/statagent_bench" "$build/bin/statagent" "${2:-/usr}" "${3:-0.5}"
