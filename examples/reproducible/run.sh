#!/bin/sh
# A reproducible build: the message catalogue of ../messages compiled twice,
# a second apart, in two folders. Each compile records its time; with
# SOURCE_DATE_EPOCH set, qostamp fixes that time, and the two builds are
# byte for byte the same.
# Usage: run.sh <build-dir> <output-dir>
set -e
build=$(cd "$1" && pwd)
bin=$build/bin
mkdir -p "$2"
out=$(cd "$2" && pwd)
SOURCE_DATE_EPOCH=1700000000
export SOURCE_DATE_EPOCH
for run in first second; do
  mkdir -p "$out/$run"
  (cd ../messages &&
   "$bin/qogenmsg" regensym "$out/$run/client_msgs.h" client.msg admin.msg </dev/null >/dev/null &&
   "$bin/qogenmsg" genobj "$out/$run/client_msgs.h" "$out/$run/client_msgs.obj" client.msg admin.msg </dev/null >/dev/null)
  "$bin/qostamp" "$SOURCE_DATE_EPOCH" "$out/$run/client_msgs.h" "$out/$run/client_msgs.obj"
  [ "$run" = second ] || sleep 1
done
cmp "$out/first/client_msgs.h" "$out/second/client_msgs.h"
cmp "$out/first/client_msgs.obj" "$out/second/client_msgs.obj"
grep _MSGSYM_TIMESTAMP "$out/first/client_msgs.h"
echo "Made $out/first and $out/second, each with client_msgs.h and client_msgs.obj: identical, compiled at $SOURCE_DATE_EPOCH."
