#!/bin/sh
# Lets this machine run 32-bit x86 programs through qemu-user, for machines
# that cannot run them natively (or when QUILLMERE_EMULATE_I386=1 asks for it).
#
#   i386-emulation.sh enable UNDO_FILE   registers the emulator for i386 programs
#                                        where it is missing; writes to UNDO_FILE
#                                        what it changed
#   i386-emulation.sh undo UNDO_FILE     takes back what `enable` wrote there
#
# Needs root for binfmt_misc. Where it cannot be set up it says, in one line,
# what is missing and what to run, and fails.
set -e
action="$1"
undo="$2"
binfmt="${QM_BINFMT_DIR:-/proc/sys/fs/binfmt_misc}"
qemu=/usr/bin/qemu-i386-static
# An i386 ELF executable or shared object; the emulator is opened once at
# registration (F), so it works inside containers and chroots too.
entry=':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$qemu"':F'

fail() {
    echo "Cannot run the 32-bit tests on this machine: $1" >&2
    exit 1
}

case "$action" in
enable)
    : >"$undo"
    [ -x "$qemu" ] || fail "$qemu is missing; as root, run: make deps (or apt-get install qemu-user-static)"
    [ -f "$binfmt/qemu-i386" ] && [ "$(head -n 1 "$binfmt/qemu-i386")" = enabled ] && exit 0
    [ "$(id -u)" -eq 0 ] || fail "32-bit x86 code runs only through qemu here, and registering it in binfmt_misc needs root; run 'make test' as root once"
    if [ ! -f "$binfmt/register" ]; then
        mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null ||
            fail "binfmt_misc cannot be mounted at $binfmt; as root, run: mount -t binfmt_misc binfmt_misc $binfmt"
        echo unmount >>"$undo"
    fi
    if [ -f "$binfmt/qemu-i386" ]; then
        echo 1 >"$binfmt/qemu-i386" 2>/dev/null || fail "$binfmt/qemu-i386 is disabled and cannot be enabled"
        echo disable >>"$undo"
    else
        printf '%s' "$entry" >"$binfmt/register" 2>/dev/null ||
            fail "$binfmt/register is not writable, so qemu cannot be registered for i386 programs"
        echo unregister >>"$undo"
    fi
    ;;
undo)
    [ -f "$undo" ] || exit 0
    # Last change first.
    for step in $(sed -n '1!G;h;$p' "$undo"); do
        case "$step" in
        unregister) echo -1 >"$binfmt/qemu-i386" ;;
        disable) echo 0 >"$binfmt/qemu-i386" ;;
        unmount) umount "$binfmt" ;;
        esac
    done
    rm -f "$undo"
    ;;
*)
    echo "usage: $0 enable|undo UNDO_FILE" >&2
    exit 2
    ;;
esac
