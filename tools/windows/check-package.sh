#!/usr/bin/env bash
# Checks the Windows zip as a user gets it: unpacked into an empty folder it holds the two
# programs and README.txt, the programs import only DLLs that come with Windows, the command
# line conforms the demo project under Wine, and the window opens with it.
#   check-package.sh WINDOWS_BUILD DEMO_PROJECT
set -euo pipefail
win_build=$(realpath "$1")
demo=$(realpath "$2")
here=$(dirname "$(realpath "$0")")
zip=$(find "$win_build" -maxdepth 1 -name 'tabrix-conform-*-windows-x64.zip' -print -quit)
[ -n "$zip" ] || { echo "check-package: no zip in $win_build" >&2; exit 1; }
winpath() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }

check=$win_build/package-check
rm -rf "$check"
mkdir -p "$check/unzipped"
(cd "$check/unzipped" && cmake -E tar xf "$zip")
contents=$(cd "$check/unzipped" && find . -type f | sort | tr '\n' ' ')
[ "$contents" = "./README.txt ./tabrix-conform.exe ./tabrix.exe " ] ||
    { echo "check-package: unexpected contents: $contents" >&2; exit 1; }

# Only system DLLs: anything else would have to travel with the programs.
system_dlls='^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|ole32|oleaut32|advapi32|msvcrt|shlwapi|ws2_32|bcrypt)\.dll$'
for exe in "$check"/unzipped/*.exe; do
    x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | while read -r dll; do
        echo "${dll,,}" | grep -qE "$system_dlls" ||
            { echo "check-package: $(basename "$exe") needs $dll" >&2; exit 1; }
    done
done

wine() { "$here/wine-run.sh" "$win_build/wineprefix" "$@"; }
wine "$check/unzipped/tabrix.exe" --version
wine "$check/unzipped/tabrix.exe" conform "$(winpath "$demo")" -o "$(winpath "$check/demo.wav")" \
    > /dev/null
test -s "$check/demo.wav"
"$here/screenshot.sh" "$check/unzipped" "$demo" "$check/window.png"
echo "check-package: $(basename "$zip") unpacks into two programs that run under Wine alone"
