#!/bin/sh
# Runs the 32-bit and the 64-bit suites side by side, each with its own Wine
# prefix, Wine server and X server, so that neither sees the other's windows
# or keyboard focus. Prints each suite's report whole, the 32-bit one first.
# Called by `make test` inside scripts/wine-session.sh.
#
#   run-suites.sh BUILD32 BUILD64
build32="$1"
build64="$2"
logs=$(mktemp -d)
sh scripts/run-tests.sh "$build32" 99 >"$logs/32" 2>&1 &
pid32=$!
sh scripts/run-tests.sh "$build64" 149 >"$logs/64" 2>&1 &
pid64=$!
status32=0
status64=0
wait $pid32 || status32=$?
wait $pid64 || status64=$?
echo "== 32-bit build ($build32) =="
cat "$logs/32"
echo "== 64-bit build ($build64) =="
cat "$logs/64"
# Both suites' counts in one closing line, from ctest's own summaries.
passed=0
failed=0
for bits in 32 64; do
    summary=$(sed -n 's/^[0-9]*% tests passed, \([0-9]*\) tests failed out of \([0-9]*\)$/\1 \2/p' "$logs/$bits")
    set -- $summary
    if [ $# -ne 2 ]; then
        echo "The $bits-bit suite ended without a summary" >&2
        status32=1
        continue
    fi
    failed=$((failed + $1))
    passed=$((passed + $2 - $1))
done
rm -rf "$logs"
echo "Total: $passed passed, $failed failed"
[ $status32 -eq 0 ] && [ $status64 -eq 0 ]
