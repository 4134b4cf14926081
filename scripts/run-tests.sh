#!/bin/sh
# Runs one build's whole suite in an X server of its own (Xvfb, the first
# free display from DISPLAY_NUMBER on), with one Wine server kept alive for
# all its test programs. Called by scripts/run-suites.sh.
#
#   run-tests.sh BUILD [DISPLAY_NUMBER]
set -e
build="$1"
if [ -z "$QM_IN_XVFB" ]; then
    QM_IN_XVFB=1 exec xvfb-run -a -n "${2:-99}" sh "$0" "$@"
fi
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
