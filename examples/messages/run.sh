#!/bin/sh
# Compiles the example message catalogue into its symbol header and its
# message object file.
# Usage: run.sh <build-dir> <output-dir>
set -e
qogenmsg=$1/bin/qogenmsg
mkdir -p "$2"
out=$(cd "$2" && pwd)
"$qogenmsg" gensym "$out/client_msgs.h" client.msg admin.msg </dev/null
"$qogenmsg" genobj "$out/client_msgs.h" "$out/client_msgs.obj" client.msg admin.msg </dev/null
echo "Made $out/client_msgs.h (the symbol header) and $out/client_msgs.obj (the message catalogue)."
