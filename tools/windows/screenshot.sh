#!/usr/bin/env bash
# Draws the Windows window with a project loaded into a PNG, for the documentation and for
# looking at it as a user would: the program runs under Wine in a virtual desktop (so Wine draws
# the title bar) on a display of its own, at DPI 96 (100 %) or as given (192 is 200 %), and the
# desktop around the window is trimmed away.
#   screenshot.sh WINDOWS_BUILD PROJECT_FOLDER PNG_FILE [DPI]
set -euo pipefail
win_build=$(realpath "$1")
project=$(realpath "$2")
png=$(realpath -m "$3")
dpi=${4:-96}
here=$(dirname "$(realpath "$0")")
exe=$(find "$win_build" -name tabrix-conform.exe -type f -print -quit)
[ -n "$exe" ] || { echo "screenshot: no tabrix-conform.exe in $win_build" >&2; exit 1; }
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)

# A prefix of its own: the DPI set here must not reach the test suites' prefix.
prefix=$win_build/wineprefix-screenshot-$dpi
export WINEPREFIX=$prefix WINEDEBUG=-all
exec 3< <(exec Xvfb -displayfd 1 -screen 0 1600x1200x24 -nolisten tcp 2>/dev/null)
xvfb=$!
trap 'WINEPREFIX=$prefix "$wineserver" -k 2>/dev/null || true; kill "$xvfb" 2>/dev/null || true' EXIT
read -r -t 60 number <&3 || { echo "screenshot: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$number

for key in 'HKCU\Control Panel\Desktop' 'HKCC\Software\Fonts'; do
    "$here/wine-run.sh" "$prefix" reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f > /dev/null
done
# Every window in one virtual desktop: Wine draws the frames itself, with no window manager.
"$here/wine-run.sh" "$prefix" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ \
    /d Default /f > /dev/null
"$here/wine-run.sh" "$prefix" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ \
    /d 1600x1200 /f > /dev/null
"$wineserver" -w

# The project's folder as drive D:, so the window shows a path as it would on Windows.
ln -sfn "$(dirname "$project")" "$prefix/dosdevices/d:"
"$here/wine-run.sh" "$prefix" "$exe" "D:\\$(basename "$project")" &
# The window is ready once two pictures a second apart agree and show more than the desktop.
shot=$(mktemp --suffix=.png)
previous=""
ready=0
for _ in $(seq 60); do
    sleep 1
    import -window root "$shot"
    geometry=$(convert "$shot" -trim -format '%wx%h%O' info: 2>/dev/null)
    if [ "$geometry" = "$previous" ] && [ "${geometry%%x*}" -gt 200 ]; then
        ready=1
        break
    fi
    previous=$geometry
done
if [ "$ready" != 1 ]; then
    echo "screenshot: no window appeared" >&2
    exit 1
fi
convert "$shot" -trim +repage "$png"
rm -f "$shot"
echo "screenshot: $png ($geometry at $dpi dpi)"
