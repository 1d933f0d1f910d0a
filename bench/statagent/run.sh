#!/bin/sh
# The agent against direct lstat, the ping-pong floor and pools of agents, on
# the paths of a real tree: call rates, unpinned and pinned to one core, then
# (with valgrind) the instructions per call of the client and of its server,
# which repeat from run to run where times do not.
# Usage: run.sh <release-build-dir> [tree] [seconds]
set -e
build=$(cd "${1:?usage: run.sh <release-build-dir> [tree] [seconds]}" && pwd)
bench=$build/bench/statagent/statagent_bench
agent=$build/bin/statagent
tree=${2:-/usr}
"$bench" "$agent" "$tree" "${3:-0.5}"

command -v valgrind >/dev/null || { echo "valgrind not found: no instruction counts"; exit 0; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Instructions of process $2 in the callgrind run $1.
ir() { awk '/^(summary|totals):/ { print $2; exit }' "$work/$1.$2"; }
# Each kind runs N and 2N calls; the difference over N is the cost of one
# call, start-up and teardown cancelled out.
n=2000
printf "%-32s %10s %10s %10s\n" "instructions per call" client server total
for kind in direct floor agent; do
  for calls in $n $((2 * n)); do
    valgrind --tool=callgrind --trace-children=yes --callgrind-out-file="$work/$kind.$calls.%p" \
      "$bench" "$agent" --count "$kind" "$calls" "$tree" >"$work/$kind.$calls.pids" 2>/dev/null
  done
  set -- $(cat "$work/$kind.$n.pids") $(cat "$work/$kind.$((2 * n)).pids")
  client=$(( ($(ir "$kind.$((2 * n))" "$3") - $(ir "$kind.$n" "$1")) / n ))
  server=0
  [ "$2" = 0 ] || server=$(( ($(ir "$kind.$((2 * n))" "$4") - $(ir "$kind.$n" "$2")) / n ))
  printf "%-32s %10d %10d %10d\n" "$kind" "$client" "$server" $((client + server))
  eval "total_$kind=$((client + server))"
done
echo "$total_agent $total_floor" | awk '{ printf "%-32s %32.2f\n", "agent / floor (instructions)", $1 / $2 }'
