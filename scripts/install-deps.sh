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

install() {
    echo "Installing:$*"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo dpkg --add-architecture i386
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$@" >/dev/null
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
