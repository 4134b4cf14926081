#!/bin/sh
# Creates the build's Wine prefix once: booted, and with Wine's X11 driver
# told not to wait for a window manager (there is none under Xvfb), which
# would otherwise cost about two seconds each time a window is hidden.
set -e
build="${1:-build}"
run="$build/wine-run"
export WINEPREFIX="$(cd "$build" && pwd)/wineprefix"
[ -f "$WINEPREFIX/.quillmere-ready" ] && exit 0
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
wineboot -i >/dev/null 2>&1 || true
wineserver -w
"$run" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
wineserver -w
touch "$WINEPREFIX/.quillmere-ready"
