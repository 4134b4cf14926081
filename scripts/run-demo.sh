#!/bin/sh
# Runs the demo in the sandbox host, then turns its screenshot into a PNG.
set -e
build="${1:-build}"
export WINEPREFIX="$(cd "$build" && pwd)/wineprefix" WINEDEBUG=-all
wineserver -p
"$build/wine-run" wineboot </dev/null >/dev/null 2>&1 || true
cd "$build/bin"
./../wine-run QuillmereDemo.exe "$@"
if [ -f editor.bmp ]; then
    convert editor.bmp editor.png && rm -f editor.bmp
    echo "Screenshot of the open editor: $(pwd)/editor.png"
fi
wineserver -k || true
