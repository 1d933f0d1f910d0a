#!/bin/sh
# Compiles the example message catalogue into its symbol header and its
# message object file.
# Usage: run.sh <build-dir> <output-dir>
set -e
qogenmsg=$1/bin/qogenmsg
out=$2
mkdir -p "$out"
"$qogenmsg" gensym "$out/client_msgs.h" client.msg admin.msg </dev/null
"$qogenmsg" genobj "$out/client_msgs.h" "$out/client_msgs.obj" client.msg admin.msg </dev/null
