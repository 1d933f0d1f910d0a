#!/bin/sh
# Fails when an archive defines a global name other than the client's C API
# (qoagent_*), C++ of namespace qokit, or instances of the standard library's
# templates and the compiler's exception tables, and lists those names: a
# user's program or library that links ours must meet no other name of ours.
# Usage: global_symbols.sh <nm> <archive>...
nm=$1
shift
others=$("$nm" -g --defined-only "$@" | awk 'NF == 3 { print $3 }' | sort -u |
  grep -v -E '^(qoagent_|_Z(N|NK|ZN|GVZN|THN|TWN|TVN|TIN|TSN)5qokit|_Z(N|NK|TI|TS)?St|_ZNK?Sa|_ZNK?9__gnu_cxx|DW\.ref\.)')
if [ -n "$others" ]; then
  echo "global names outside qoagent_ and namespace qokit:"
  echo "$others"
  exit 1
fi
