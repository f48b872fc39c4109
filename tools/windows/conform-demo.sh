#!/usr/bin/env bash
# Conforms the demo project with the Windows command line under Wine and checks the result
# against the Linux build's: the same audio data byte for byte. Skips quietly when the command line
# is not part of the build.
#   conform-demo.sh WINDOWS_BUILD LINUX_BUILD DEMO_PROJECT
set -euo pipefail
win_build=$(realpath "$1")
linux_build=$(realpath "$2")
demo=$(realpath "$3")
here=$(dirname "$(realpath "$0")")

exe=$(find "$win_build" -name tabrix.exe -type f -print -quit)
if [ -z "$exe" ]; then
    echo "conform-demo: no tabrix.exe in $win_build, nothing to check"
    exit 0
fi
wine() { "$here/wine-run.sh" "$win_build/wineprefix" "$exe" "$@"; }
# Wine maps the Linux root to drive Z:.
winpath() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }

out=$win_build/demo-conform
rm -rf "$out"
mkdir -p "$out"
wine --version
wine conform "$(winpath "$demo")" -o "$(winpath "$out/windows.wav")" --width 24 --channels stereo
test -s "$out/windows.wav"

native=$(find "$linux_build" -name tabrix -type f -perm -u+x -print -quit)
if [ -n "$native" ]; then
    "$native" conform "$demo" -o "$out/linux.wav" --width 24 --channels stereo
    # The header holds the creation time; the samples must agree byte for byte.
    cmp <(tail -c +1025 "$out/windows.wav") <(tail -c +1025 "$out/linux.wav")
fi
echo "conform-demo: $(stat -c %s "$out/windows.wav") bytes conformed under Wine"
