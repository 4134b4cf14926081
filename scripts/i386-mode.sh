#!/bin/sh
# Prints how this machine runs the 32-bit Windows programs of the 32-bit
# build under Wine: "native", or "emulated" through qemu-user. Some x86-64
# machines cannot run 32-bit x86 code at all; trying 32-bit Wine's own server
# tells, at once, where guessing from the processor or the kernel would not.
#
# QUILLMERE_EMULATE_I386=1 forces "emulated" on any machine, so that the path
# can be tried where 32-bit code runs natively. QM_WINESERVER32 and
# QM_BINFMT_DIR stand in for the real ones in the test of this decision.
wineserver32="${QM_WINESERVER32:-/usr/lib/wine/wineserver32}"
binfmt="${QM_BINFMT_DIR:-/proc/sys/fs/binfmt_misc}"

if [ "${QUILLMERE_EMULATE_I386:-0}" = 1 ]; then
    echo emulated
# Once the emulator is registered for i386 programs, every 32-bit program
# runs through it, whatever the processor could do on its own.
elif [ -f "$binfmt/qemu-i386" ] && [ "$(head -n 1 "$binfmt/qemu-i386")" = enabled ]; then
    echo emulated
elif "$wineserver32" --version >/dev/null 2>&1; then
    echo native
else
    echo emulated
fi
