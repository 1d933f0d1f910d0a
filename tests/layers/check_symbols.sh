#!/bin/sh
# What a client meets when it links one of the kit's libraries, so that no
# name of the kit can clash with one of the client's own:
#   - the archive defines, as globals, only the library's C API (EXPORTS,
#     version-script globs), C++ of namespace qokit, and the vague-linkage
#     C++ (inline functions, template instances) that the linker merges;
#   - every name the archive uses is its own or the C and C++ runtime's, so
#     it pulls in nothing else of the kit (not the string layer, not commutil);
#   - the shared library, when given, exports exactly the C API, each name in
#     its version node (an exact name's node before a glob's).
# Usage: check_symbols.sh NM CXX ARCHIVE SHARED|- GLOB@NODE...
set -e
nm=$1 cxx=$2 archive=$3 shared=$4
shift 4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

api=$(for export in "$@"; do printf '%s\n' "${export%@*}"; done |
  sed -e 's/\./\\./g' -e 's/\*/.*/g' -e 's/^/^/' -e 's/$/$/' | paste -sd '|')
qokit='^_Z(T[VIST]|G[VR]|T[HW]|Th[n0-9]*_|Tv[n0-9_]*_)?Z?NK?5qokit'
failed=0
report() {  # title, file of names
  if [ -s "$2" ]; then
    echo "$archive: $1:"
    sed 's/^/  /' "$2"
    failed=1
  fi
}

"$nm" -g --defined-only "$archive" | awk 'NF == 3 { print $2, $3 }' | sort -u >"$work/defined"
awk '{ print $2 }' "$work/defined" | sort -u >"$work/defined.names"
awk -v api="$api" -v qokit="$qokit" '
  $2 ~ api || $2 ~ qokit { next }
  $1 ~ /^[WVu]$/ && ($2 ~ /^_Z/ || $2 ~ /^DW\.ref\./) { next }
  $2 ~ /^__odr_asan[._]/ { next }  # markers AddressSanitizer adds
  { print $2 }' "$work/defined" >"$work/foreign"
report "global names outside its C API and namespace qokit" "$work/foreign"

# The runtime: every name the C library, libm, the C++ library and the
# compiler's support library export, and what the linker itself provides.
for lib in libc.so.6 libm.so.6 libstdc++.so.6 libgcc_s.so.1; do
  "$nm" -D --defined-only "$("$cxx" -print-file-name=$lib)" | awk '{ print $NF }' | sed 's/@.*//'
done | sort -u >"$work/runtime"
"$nm" -g --undefined-only "$archive" | awk 'NF == 2 { print $2 }' | sort -u |
  comm -23 - "$work/defined.names" | comm -23 - "$work/runtime" |
  grep -v -E '^(_GLOBAL_OFFSET_TABLE_|__dso_handle|__tls_get_addr|__(asan|ubsan|lsan|sanitizer)_.*)$' >"$work/pulled" || true
report "names it needs from outside itself and the C and C++ runtime" "$work/pulled"

if [ "$shared" != "-" ]; then
  "$nm" -D --defined-only "$shared" | awk '$2 != "A" { print $3 }' >"$work/dynamic"
  sed 's/@.*//' "$work/dynamic" | grep -v -E "$api" >"$work/exported" || true
  report "the shared library exports names outside its C API" "$work/exported"
  grep -q . "$work/dynamic" || { echo "$shared exports nothing"; failed=1; }
  printf '%s\n' "$@" | awk -F@ '
    NR == FNR { if ($1 ~ /\*/) { glob[$1] = $2 } else { exact[$1] = $2 }; next }
    {
      name = $1; node = $NF; want = exact[name]
      if (want == "") for (g in glob) {
        pattern = g; gsub(/\*/, ".*", pattern)
        if (name ~ "^" pattern "$") want = glob[g]
      }
      if (want != "" && node != want) print name " is in " node ", not " want
    }' - "$work/dynamic" >"$work/nodes"
  report "names in the wrong version node" "$work/nodes"
fi
exit $failed
