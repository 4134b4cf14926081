#!/bin/sh
# How this machine runs 32-bit programs is decided by trying 32-bit Wine's
# own server, unless the emulator already runs them or the path is forced;
# emulation that cannot be set up is said in one line, and fails. Checked here
# with a stand-in server and binfmt_misc folder, then on this machine's build.
#
#   check-i386-path.sh SOURCE_DIR BUILD_DIR
source="$1"
build="$2"
. "$source/tests/check-support.sh"

printf '#!/bin/sh\necho Wine 8.0\n' >"$work/runs"
printf '#!/bin/sh\necho "Exec format error" >&2\nexit 126\n' >"$work/cannot-run"
chmod +x "$work/runs" "$work/cannot-run"
mkdir "$work/no-binfmt" "$work/enabled" "$work/disabled"
printf 'enabled\ninterpreter /usr/bin/qemu-i386-static\n' >"$work/enabled/qemu-i386"
printf 'disabled\ninterpreter /usr/bin/qemu-i386-static\n' >"$work/disabled/qemu-i386"

mode() {  # mode SERVER BINFMT [FORCED]
    QM_WINESERVER32="$work/$1" QM_BINFMT_DIR="$work/$2" QUILLMERE_EMULATE_I386="${3:-}" \
        sh "$source/scripts/i386-mode.sh"
}
expect "32-bit code runs" native "$(mode runs no-binfmt)"
expect "32-bit code fails to start" emulated "$(mode cannot-run no-binfmt)"
expect "32-bit Wine missing" emulated "$(mode missing no-binfmt)"
expect "forced" emulated "$(mode runs no-binfmt 1)"
expect "forced off" native "$(mode runs no-binfmt 0)"
expect "emulator registered" emulated "$(mode runs enabled)"
expect "emulator registered but disabled" native "$(mode runs disabled)"

# Without root and without the emulator registered: one line, and failure.
mkdir "$work/bin"
printf '#!/bin/sh\necho 1000\n' >"$work/bin/id"
chmod +x "$work/bin/id"
message=$(PATH="$work/bin:$PATH" QM_BINFMT_DIR="$work/no-binfmt" \
    sh "$source/scripts/i386-emulation.sh" enable "$work/undo" 2>&1)
status=$?
expect "not root: fails" 1 "$status"
expect "not root: one line" 1 "$(printf '%s\n' "$message" | wc -l)"
# Where qemu itself is missing, that is what the line names first.
case "$message" in
*"needs root"* | *"qemu-i386-static is missing"*) echo "ok: not root: says what is missing" ;;
*) echo "FAILED: not root: message was: $message"; failures=$((failures + 1)) ;;
esac

# This machine: the 32-bit build's prefix follows the decision.
if [ -f "$build/wineprefix/.quillmere-ready" ]; then
    expected=win32
    [ "$(sh "$source/scripts/i386-mode.sh")" = emulated ] && expected=win64
    expect "this machine's 32-bit prefix" "$expected" "$(cut -d' ' -f1 "$build/wineprefix/.quillmere-ready")"
else
    echo "FAILED: $build/wineprefix was not made before the tests"
    failures=$((failures + 1))
fi
[ $failures -eq 0 ]
