#!/bin/sh
# Installs the Debian packages the builds, the tests and the demo need, when
# any is missing. Needs root (or sudo) the first time only.
#
# Both Wine preloaders are only recommended packages, yet they matter: without
# them each Wine process spends most of a minute reserving its memory under
# qemu, and far longer than needed natively too.
#
# Wine draws with the system's fonts: DejaVu covers Cyrillic, WenQuanYi Micro
# Hei covers CJK, for the names and translations a Unicode host shows.
set -e
cd "$(dirname "$0")/.."
packages="cmake make g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64
binutils-mingw-w64-x86-64 wine wine32:i386 wine64 wine32-preloader:i386 wine64-preloader
xvfb xauth imagemagick googletest fonts-dejavu-core fonts-wqy-microhei"

missing_of() {
    missing=""
    for package in $*; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
            missing="$missing $package"
    done
}

# Another install (unattended upgrades, a package manager left open, a second
# make) can hold the package system's locks for a while. Each step that takes
# one waits for it, QM_LOCK_WAIT_SECONDS at most over all the steps, asking
# again every QM_LOCK_RETRY_SECONDS; then the install fails, naming the lock
# and what holds it.
lock_wait="${QM_LOCK_WAIT_SECONDS:-300}"
lock_retry="${QM_LOCK_RETRY_SECONDS:-5}"
lock_deadline=""
# The script's own output, for the note that it waits, also where a step's
# output is thrown away.
exec 3>&1

# The line of a step's errors that names a held lock (apt: "Could not get
# lock FILE. It is held by process PID (NAME)"; dpkg: "dpkg frontend lock was
# locked by another process with pid PID"), without its prefix; empty when the
# step failed for another reason.
held_lock() {
    grep -m 1 -e 'Could not get lock' -e 'was locked by another process' -e 'Unable to lock' "$1" |
        sed -e 's/^E: //' -e 's/^dpkg: error: //'
}

# Runs one step; while it fails on a held lock, runs it again until the
# deadline, then stops the whole install in one line.
locked() {
    errors=$(mktemp)
    announced=""
    while :; do
        status=0
        "$@" 2>"$errors" || status=$?
        holder=""
        [ $status -eq 0 ] || holder=$(held_lock "$errors")
        if [ -z "$holder" ]; then
            cat "$errors" >&2
            rm -f "$errors"
            return $status
        fi
        if [ "$(date +%s)" -ge "$lock_deadline" ]; then
            rm -f "$errors"
            echo "Cannot install packages: still locked after waiting $lock_wait seconds: $holder" >&2
            exit 1
        fi
        [ -n "$announced" ] || echo "Another install holds the package system; waiting: $holder" >&3
        announced=1
        sleep "$lock_retry"
    done
}

# apt waits for the dpkg lock on its own, for as long as is left of the wait.
apt_get() {
    left=$((lock_deadline - $(date +%s)))
    [ $left -gt 0 ] || left=0
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=$left "$@"
}

install() {
    echo "Installing:$*"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    [ -n "$lock_deadline" ] || lock_deadline=$(($(date +%s) + lock_wait))
    locked $sudo dpkg --add-architecture i386
    locked apt_get update -qq
    locked apt_get install -y -qq --no-install-recommends "$@" >/dev/null
}

missing_of $packages
[ -z "$missing" ] || install $missing

# Where this machine cannot run 32-bit x86 code (32-bit Wine itself is the
# test), the 32-bit programs run through qemu-user.
if [ "$(sh scripts/i386-mode.sh)" = emulated ]; then
    missing_of qemu-user-static
    [ -z "$missing" ] || install $missing
fi
exit 0
