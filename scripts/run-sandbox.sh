#!/bin/sh
# Opens the sandbox host window on the current display, under Wine, for a
# person to use. Its Wine prefix, and with it the profile kept in the Windows
# user's data folder, lives under the user's own data folder, so that levels
# and the editor's position survive rebuilds and `make clean`.
set -e
build="${1:-build}"
[ $# -gt 0 ] && shift
if [ -z "$DISPLAY" ]; then
    echo "make run opens a window and needs a display, but DISPLAY is not set." >&2
    echo "Without one, 'make demo' shows the plug-in at work in the same sandbox." >&2
    exit 1
fi
# Where 32-bit code runs only through qemu, the sandbox gets a 64-bit (WoW64)
# prefix of its own, as the tests do.
arch=win32
prefix=wineprefix
if [ "$(sh scripts/i386-mode.sh)" = emulated ]; then
    undo=$(mktemp)
    sh scripts/i386-emulation.sh enable "$undo"
    rm -f "$undo"
    arch=win64
    prefix=wineprefix-win64
fi
export WINEPREFIX="${QUILLMERE_SANDBOX_PREFIX:-${XDG_DATA_HOME:-$HOME/.local/share}/quillmere-sandbox/$prefix}"
export WINEARCH=$arch WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
if [ ! -f "$WINEPREFIX/.quillmere-ready" ]; then
    echo "Preparing the sandbox's Wine prefix in $WINEPREFIX (once; this takes a little while)"
    mkdir -p "$(dirname "$WINEPREFIX")"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    touch "$WINEPREFIX/.quillmere-ready"
fi
# Prefixes made before CJK letters were linked get the link once.
if [ ! -f "$WINEPREFIX/.quillmere-fontlink" ]; then
    sh scripts/wine-fontlink.sh wine
    touch "$WINEPREFIX/.quillmere-fontlink"
fi
echo "The profile lives in $WINEPREFIX/drive_c/users/${USER:-$(id -un)}/AppData/Roaming/Quillmere Sandbox/"
echo "Close the sandbox window (Main > Exit) to end."
cd "$build/bin"
exec wine QuillmereSandbox.exe "$@"
