#!/bin/sh
# Runs the demo in the sandbox host, then turns its picture of the sandbox
# window into a PNG. Runs in an X server of its own; called by `make demo`
# inside scripts/wine-session.sh.
set -e
build="${1:-build}"
if [ -z "$QM_IN_XVFB" ]; then
    QM_IN_XVFB=1 exec xvfb-run -a sh "$0" "$@"
fi
sh scripts/wine-prefix.sh "$build"
export WINEPREFIX="$(cd "$build" && pwd)/wineprefix" WINEDEBUG=-all
wineserver -p
"$build/wine-run" wineboot </dev/null >/dev/null 2>&1 || true
cd "$build/bin"
./../wine-run QuillmereDemo.exe "$@"
if [ -f sandbox.bmp ]; then
    convert sandbox.bmp sandbox.png && rm -f sandbox.bmp
    echo "Picture of the sandbox window with the editor open: $(pwd)/sandbox.png"
fi
if [ -f options-page.bmp ]; then
    convert options-page.bmp options-page.png && rm -f options-page.bmp
    echo "Picture of the Options dialog's page: $(pwd)/options-page.png"
fi
wineserver -k || true
