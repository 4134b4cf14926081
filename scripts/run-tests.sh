#!/bin/sh
# Runs one build's whole suite with one Wine server kept alive for all its
# test programs. Called by `make test`, for each build, inside
# scripts/wine-session.sh.
set -e
build="$1"
sh scripts/wine-prefix.sh "$build"
export WINEPREFIX="$(cd "$build" && pwd)/wineprefix" WINEDEBUG=-all
wineserver -p
# Wine's own service processes start with the first program of a prefix and
# keep its output open; start them here so that they don't hold ctest's pipes.
"$build/wine-run" wineboot </dev/null >/dev/null 2>&1 || true
status=0
ctest --test-dir "$build" --output-on-failure --timeout 300 || status=$?
wineserver -k || true
exit $status
