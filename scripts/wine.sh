#!/usr/bin/env bash
# Runs a Windows program under Wine: `scripts/wine.sh PROGRAM.exe ARGS...`. The Windows build
# runs its tests through it (CMAKE_CROSSCOMPILING_EMULATOR). Wine stays silent
# (WINEDEBUG=-all) and works in WINEPREFIX, by default build-windows/wine beside this script,
# which Wine sets up on first use; scripts/test.sh starts every run with a fresh one.
# Run as root, Wine runs as the user nobody (65534), as a person on Windows runs programs
# without the system's rights: a folder or a file without write permission then refuses to
# be written, as it does on Windows. The prefix then belongs to nobody.
#   scripts/wine.sh --prefix     sets up the prefix now (quietly)
#   scripts/wine.sh --stop       ends the prefix's Wine server and every program in it, and
#                                waits until they are gone
set -euo pipefail

export WINEDEBUG=-all
export WINEPREFIX=${WINEPREFIX:-$(cd "$(dirname "$0")/.." && pwd)/build-windows/wine}
# No menu entries, file associations or desktop links on the host for what the tests install.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-winemenubuilder.exe=d}

# Debian's wine64 is not on PATH; /usr/bin/wine is a wrapper that complains when the 32-bit
# half is not installed. The 64-bit loader is taken directly when it is there.
wine=""
for candidato in wine64 /usr/lib/wine/wine64 /usr/lib/x86_64-linux-gnu/wine/wine64 wine; do
    if command -v "$candidato" >/dev/null 2>&1; then
        wine=$(command -v "$candidato")
        break
    fi
done
if [ -z "$wine" ]; then
    echo "wine.sh: Wine is not installed (Debian packages wine64 and wine)" >&2
    exit 127
fi
wineserver=""
for candidato in wineserver "$(dirname "$wine")/wineserver" /usr/lib/wine/wineserver64; do
    if command -v "$candidato" >/dev/null 2>&1; then
        wineserver=$(command -v "$candidato")
        break
    fi
done

come=()
if [ "$(id -u)" -eq 0 ]; then
    nessuno=65534
    mkdir -p "$WINEPREFIX"
    if [ "$(stat -c %u "$WINEPREFIX")" != "$nessuno" ]; then
        if [ -n "$(ls -A "$WINEPREFIX")" ]; then
            echo "wine.sh: $WINEPREFIX belongs to another user; remove it" >&2
            exit 125
        fi
        chown "$nessuno:$nessuno" "$WINEPREFIX"
    fi
    export HOME=$WINEPREFIX USER=nobody LOGNAME=nobody
    come=(setpriv --reuid="$nessuno" --regid="$nessuno" --clear-groups)
fi

case "${1:-}" in
    --prefix)
        mkdir -p "$WINEPREFIX"
        exec "${come[@]}" "$wine" wineboot --init >/dev/null 2>&1
        ;;
    --stop)
        if [ -d "$WINEPREFIX" ] && [ -n "$wineserver" ]; then
            "${come[@]}" "$wineserver" --kill 2>/dev/null || true
            # Until it is gone: a program started meanwhile would join the old session.
            "${come[@]}" "$wineserver" --wait 2>/dev/null || true
        fi
        exit 0
        ;;
esac
exec "${come[@]}" "$wine" "$@"
