#!/bin/sh
# Creates a build's Wine prefix once: booted, with Wine's X11 driver told
# not to wait for a window manager (there is none under Xvfb), which would
# otherwise cost about two seconds each time a window is hidden, and with a
# CJK font linked to the dialog faces (scripts/wine-fontlink.sh).
#
#   wine-prefix.sh BUILD
#
# The 64-bit build needs a 64-bit prefix. The 32-bit build keeps a 32-bit one
# where 32-bit code runs natively; under qemu it gets a 64-bit (WoW64) prefix,
# so that Wine's server and its own service processes run natively and only
# the test programs are emulated. A prefix of the other architecture, or one
# left half made, is made anew.
set -e
build="$1"
arch=$(cat "$build/wine-arch")
[ "$arch" = win32 ] && [ "${QM_I386_MODE:-$(sh scripts/i386-mode.sh)}" != native ] && arch=win64
export WINEPREFIX="$(cd "$build" && pwd)/wineprefix"
ready="$WINEPREFIX/.quillmere-ready"
# Goes up when the prefix's settings change, so that older prefixes are made anew.
layout=fontlink
[ "$(cat "$ready" 2>/dev/null)" = "$arch $layout" ] && exit 0
wineserver -k 2>/dev/null || true
rm -rf "$WINEPREFIX"
export WINEARCH="$arch" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
# The 64-bit loader boots a 64-bit prefix natively, even where 32-bit code
# only runs emulated.
loader=wine
[ "$arch" = win64 ] && loader=/usr/lib/wine/wine64
$loader wineboot -i >/dev/null 2>&1 || true
wineserver -w
$loader reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
wineserver -w
sh scripts/wine-fontlink.sh $loader
echo "$arch $layout" >"$ready"
