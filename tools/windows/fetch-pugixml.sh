#!/usr/bin/env bash
# Unpacks Debian's pugixml sources into <build folder>/pugixml-source for the Windows cross
# build (there is no MinGW build of it in the archive). Does nothing when they are there.
set -euo pipefail
build=${1:?usage: fetch-pugixml.sh <build folder>}
target="$build/pugixml-source"
[ -f "$target/src/pugixml.cpp" ] && exit 0
sudo=""
[ "$(id -u)" = 0 ] || sudo=sudo
# apt-get source needs a deb-src entry for the release this machine runs.
if ! grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    . /etc/os-release
    printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
        "$VERSION_CODENAME" | $sudo tee /etc/apt/sources.list.d/tabrix-deb-src.sources >/dev/null
    $sudo apt-get update -qq
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && apt-get source -qq pugixml >/dev/null 2>&1 || apt-get source -qq pugixml)
mkdir -p "$build"
rm -rf "$target"
mv "$work"/pugixml-*/ "$target"
