#!/bin/sh
# Runs the benchmark in the sandbox host, next to the DLLs it measures, in an
# X server of its own. Called by `make bench` inside scripts/wine-session.sh,
# once for each build; any further argument (the number of timed passes)
# goes to the benchmark. The benchmark reads QM_I386_MODE: a 32-bit one run
# through qemu has too little memory for the full profile and uses a smaller
# one; its Options page keeps its 10000 contacts.
set -e
build="${1:-build}"
export QM_I386_MODE="${QM_I386_MODE:-$(sh scripts/i386-mode.sh)}"
if [ -z "$QM_IN_XVFB" ]; then
    QM_IN_XVFB=1 exec xvfb-run -a sh "$0" "$@"
fi
[ $# -gt 0 ] && shift
sh scripts/wine-prefix.sh "$build"
export WINEPREFIX="$(cd "$build" && pwd)/wineprefix" WINEDEBUG=-all
wineserver -p
"$build/wine-run" wineboot </dev/null >/dev/null 2>&1 || true
cd "$build/bin"
status=0
./../wine-run QuillmereBench.exe "$@" || status=$?
wineserver -k || true
exit $status
