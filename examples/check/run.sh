#!/bin/sh
# Runs the checker on a message source with three deliberate mistakes: it
# names each one with file, line and symbol, where the compiler would stop at
# the first. The mended source passes.
# Usage: run.sh <build-dir> <output-dir>
set -e
build=$(cd "$1" && pwd)
if "$build/bin/qomsgcheck" mistakes.msg; then
  echo "qomsgcheck passed mistakes.msg, which holds three mistakes" >&2
  exit 1
fi
"$build/bin/qomsgcheck" fixed.msg
echo "Made nothing: qomsgcheck only reads; it found the mistakes in mistakes.msg and passed fixed.msg."
