#!/usr/bin/env bash
# Runs the Windows window's tests (app_win32_tests.exe) under Wine on a virtual display of their
# own, started here and stopped when the script ends, however it ends. Then compares the file
# the window conformed with what the Linux build's command line writes for the same project:
# the same audio data byte for byte.
#   window-test.sh WINDOWS_BUILD LINUX_BUILD
set -euo pipefail
win_build=$(realpath "$1")
linux_build=$(realpath "$2")
here=$(dirname "$(realpath "$0")")
prefix=$win_build/wineprefix

exe=$(find "$win_build" -name app_win32_tests.exe -type f -print -quit)
if [ -z "$exe" ]; then
    echo "window-test: no app_win32_tests.exe in $win_build, nothing to run"
    exit 0
fi
native=$(find "$linux_build" -name tabrix -type f -perm -u+x -print -quit)
if [ -z "$native" ]; then
    echo "window-test: no Linux build of tabrix in $linux_build to compare with" >&2
    exit 1
fi
command -v Xvfb >/dev/null || { echo "window-test: Xvfb is missing (make deps)" >&2; exit 1; }
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
winpath() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }
start=$(date +%s)

# Xvfb names its display once it accepts clients; reading that line is the wait.
exec 3< <(exec Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp 2>/dev/null)
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
read -r -t 60 number <&3 || { echo "window-test: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$number

# A Wine session left from the console suites has no display: let it end first.
WINEPREFIX=$prefix "$wineserver" -w 2>/dev/null || true

out=$win_build/window-test
rm -rf "$out"
mkdir -p "$out"
status=0
TABRIX_WINDOW_TEST_OUT=$(winpath "$out") "$here/wine-run.sh" "$prefix" "$exe" --gtest_brief=1 \
    > "$out/log" 2>&1 || status=$?
cat "$out/log"
WINEPREFIX=$prefix "$wineserver" -w 2>/dev/null || true # before its display goes
# A program that crashes under Wine after a failed check may still exit with status 0.
if [ "$status" -ne 0 ] || grep -qE '\[  FAILED  \]|Unhandled exception|wine: Unhandled' "$out/log"; then
    echo "window-test: the window's tests failed under Wine" >&2
    exit 1
fi

"$native" conform "$out/Window Day" -o "$out/linux.wav" --width 24 --channels stereo > /dev/null
# The header holds the creation time; the samples must agree byte for byte.
cmp <(tail -c +1025 "$out/window.wav") <(tail -c +1025 "$out/linux.wav")
echo "window-test: $(stat -c %s "$out/window.wav") bytes conformed through the window under Wine" \
     "match the Linux build; $(( $(date +%s) - start )) s"
