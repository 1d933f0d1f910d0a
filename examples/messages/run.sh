#!/bin/sh
# Compiles the example message catalogue into its symbol header.
# Usage: run.sh <build-dir> <output-dir>
set -e
qogenmsg=$1/msgcomp/qogenmsg
out=$2
mkdir -p "$out"
"$qogenmsg" gensym "$out/client_msgs.h" client.msg admin.msg </dev/null
