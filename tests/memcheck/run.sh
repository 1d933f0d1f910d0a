#!/bin/sh
# Runs the end-to-end tests under valgrind memcheck, every program they start
# included, and fails on any memory error or leak in a test or a program.
#
#   tests/memcheck/run.sh <build-dir>
#
# The build must be one without sanitizers (they cannot run under valgrind).
# MEMCHECK_TESTS overrides the list of test executables (paths below
# <build-dir>/tests), so CI can run a subset.
set -u
build=$(cd "${1:?usage: run.sh <build-dir>}" && pwd) || exit 2
if grep -q '^QOKIT_SANITIZE:BOOL=ON' "$build/CMakeCache.txt" 2>/dev/null; then
  echo "memcheck: $build is a sanitizer build; use a plain one" >&2
  exit 2
fi
command -v valgrind >/dev/null || { echo "memcheck: valgrind not found (apt-get install valgrind)" >&2; exit 2; }

tests=${MEMCHECK_TESTS:-"msgcomp/msgcomp_e2e_test hlp/vexproc_test hlp/vexproc_legacy_test
  kit/dump_tools_test kit/roundtrip_test statagent/statagent_test robustness/robustness_test"}
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT

# Leaks that count: memory no pointer reaches at exit. Memory still reachable
# through globals (stdio buffers, the locale) is the C library's business.
leaks=definite,indirect,possible
status=0
ran=0
for t in $tests; do
  exe=$build/tests/$t
  if [ ! -x "$exe" ]; then
    echo "memcheck: $t not built, skipped"
    continue
  fi
  name=$(basename "$t")
  echo "== $name"
  # Tests that cannot hold under valgrind itself, not faults of the code: a
  # reply timed against the client's timeout (valgrind slows the agent many
  # times over) and a start of a missing program (valgrind's own exec of it
  # fails later and otherwise than the kernel's).
  filter=
  case $name in
    statagent_test)
      filter=--gtest_filter=-AgentClientTest.LateReplyIsWaitedOutThenServingResumes:AgentClientTest.FailedOpenLeavesNothingBehind ;;
  esac
  # Shells and system tools the tests start are not ours to check.
  if ! (cd "$(dirname "$exe")" && valgrind --tool=memcheck --quiet \
      --trace-children=yes --trace-children-skip='/bin/*,/usr/*,/sbin/*' \
      --leak-check=full --show-leak-kinds=$leaks --errors-for-leak-kinds=$leaks \
      --error-exitcode=99 --log-file="$logs/$name.%p.log" "$exe" $filter >"$logs/$name.out" 2>&1); then
    tail -n 30 "$logs/$name.out"
    status=1
  fi
  ran=$((ran + 1))
done

# A program that failed its checks may still have ended as the test expected,
# so every log is read, not only the exit statuses; with --quiet a clean
# process leaves its log empty.
for log in "$logs"/*.log; do
  if [ -s "$log" ]; then
    echo "memcheck: findings in process $(basename "$log" .log):"
    cat "$log"
    status=1
  fi
done
[ "$ran" -gt 0 ] || { echo "memcheck: no test executable found under $build/tests" >&2; exit 2; }
[ "$status" -eq 0 ] && echo "memcheck: $ran test executables clean"
exit $status
