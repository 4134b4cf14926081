#!/bin/sh
# Installs the Debian packages the build, the tests and the demo need, when
# any is missing. Needs root (or sudo) the first time only.
set -e
packages="cmake make g++-mingw-w64-i686 binutils-mingw-w64-i686 wine wine32:i386 xvfb xauth imagemagick googletest"
missing=""
for package in $packages; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing="$missing $package"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo dpkg --add-architecture i386
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing >/dev/null
