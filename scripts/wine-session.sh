#!/bin/sh
# Runs a command that starts the builds' Windows programs under Wine, after
# making sure that 32-bit programs can run here: natively, or through qemu
# where the machine cannot run 32-bit x86 code or QUILLMERE_EMULATE_I386=1
# asks for that path. The command sees the answer in QM_I386_MODE ("native"
# or "emulated"). A path that was only forced is taken back afterwards, so
# the machine is left as it was.
set -e
cd "$(dirname "$0")/.."
mode=$(sh scripts/i386-mode.sh)
undo=""
if [ "$mode" = emulated ]; then
    undo=$(mktemp)
    sh scripts/i386-emulation.sh enable "$undo" || { rm -f "$undo"; exit 1; }
    if [ "${QUILLMERE_EMULATE_I386:-0}" = 1 ]; then
        echo "32-bit programs run through qemu, as QUILLMERE_EMULATE_I386=1 asks"
        trap 'sh scripts/i386-emulation.sh undo "$undo"' EXIT
        trap 'exit 130' INT TERM
    else
        echo "This machine cannot run 32-bit x86 code: 32-bit programs run through qemu"
        rm -f "$undo"
    fi
fi
export QM_I386_MODE="$mode"
status=0
"$@" || status=$?
exit $status
