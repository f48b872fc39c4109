#!/usr/bin/env bash
# Runs a Windows console program under Wine in a private prefix, e.g. inside the build folder:
#   wine-run.sh PREFIX_DIR PROGRAM.exe [ARGUMENTS...]
# The first call creates the prefix without any prompt; no display is needed.
set -euo pipefail
prefix=$1
shift
export WINEPREFIX=$prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" # no offers to install .NET or the HTML engine

wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
if [ ! -f "$prefix/system.reg" ]; then
    mkdir -p "$(dirname "$prefix")"
    # Suites run in parallel: only one of them sets the prefix up.
    (
        flock 9
        if [ ! -f "$prefix/system.reg" ]; then
            "$wine" wineboot --init >/dev/null 2>&1 || true
            wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
            "$wineserver" -w # until the set-up has written the registry
        fi
    ) 9>"$prefix.lock"
fi
exec "$wine" "$@"
