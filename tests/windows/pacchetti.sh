#!/usr/bin/env bash
# The Windows packages: the .exe needs no DLL but the system's; the zip holds the program, the
# README and the licence; the installer runs silently under Wine (/S) for the user alone,
# the installed program's no-argument run writes its six files beside it, and the
# uninstaller removes all it installed (the Start-menu entry and the uninstall entry too) and
# leaves the files the run wrote.
# Usage: pacchetti.sh BUILD_DIR COMPATTATORE.EXE (with compattatore.com beside it)
source "$(dirname "$0")/../wine_comune.sh"
build=$(realpath "$1")
exe=$(realpath "$2")
richiedi cpack python3 makensis x86_64-w64-mingw32-objdump sha256sum

# Only system DLLs: nothing from the compiler's run-time beside the program.
dll=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print $3}' | tr 'A-Z' 'a-z' | sort)
estranee=$(grep -v -x -E 'kernel32|user32|gdi32|shell32|advapi32|msvcrt|ntdll|ole32|comctl32' \
    <<<"$(sed 's/\.dll$//' <<<"$dll")" || true)
[ -z "$estranee" ] || fallisci "the program needs DLLs that Windows lacks: $estranee"
echo "DLLs: $(tr '\n' ' ' <<<"$dll")"
# Explorer starts the desktop program, a console the console one.
sottosistema() {
    x86_64-w64-mingw32-objdump -p "$1" | awk '$1 == "Subsystem" {print $2}'
}
[ "$(sottosistema "$exe")" = 00000002 ] || fallisci "compattatore.exe is not a desktop program"
[ "$(sottosistema "${exe%.exe}.com")" = 00000003 ] || fallisci "compattatore.com is not a console program"

(cd "$build" && cpack -G "ZIP;NSIS" -B "$lavoro/pacchetti" >"$lavoro/cpack.log" 2>&1) ||
    fallisci "cpack failed: $(tail -20 "$lavoro/cpack.log")"
zip=$(ls "$lavoro"/pacchetti/compattatore-*-windows-x64.zip)
installatore=$(ls "$lavoro"/pacchetti/compattatore-*-windows-x64.exe)
contenuto=$(python3 -c 'import sys, zipfile; print("\n".join(sorted(n.split("/", 1)[1] for n in zipfile.ZipFile(sys.argv[1]).namelist())))' "$zip")
[ "$contenuto" = $'LICENSE\nREADME.md\ncompattatore.com\ncompattatore.exe' ] ||
    fallisci "the zip holds: $contenuto"
echo "zip: $(tr '\n' ' ' <<<"$contenuto")"

# The reference: what the build's program writes.
riferimento=$(cartella riferimento)
cp "$exe" "$riferimento/compattatore.exe"
(cd "$riferimento" && wine ./compattatore.exe >/dev/null 2>&1) || fallisci "the build's program failed"

# Where the installer puts the program for this user, and the Start menu.
cartella_windows() {
    wine cmd /c echo "%$1%" | tr -d '\r'
}
unix() {
    wine winepath -u "$1" | tr -d '\r'
}
locale=$(cartella_windows LOCALAPPDATA)
dati=$(cartella_windows APPDATA)
installata=$(unix "$locale\\Programs\\compattatore")
collegamento=$(unix "$dati\\Microsoft\\Windows\\Start Menu\\Programs\\compattatore.lnk")
chiave='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\compattatore'
[ -n "$installata" ] || fallisci "no folder for $locale"
rm -rf "$installata"

wine "$installatore" /S || fallisci "the installer failed"
installati=$(ls -A "$installata" | LC_ALL=C sort | tr '\n' ' ')
[ "$installati" = "LICENSE README.md Uninstall.exe compattatore.com compattatore.exe " ] ||
    fallisci "installed: $installati"
[ -f "$collegamento" ] || fallisci "no Start-menu entry at $collegamento"
wine reg query "$chiave" >"$lavoro/chiave" 2>&1 || fallisci "no uninstall entry: $(cat "$lavoro/chiave")"
grep -q UninstallString "$lavoro/chiave" || fallisci "the uninstall entry: $(cat "$lavoro/chiave")"
echo "installed for the user: $installati"

(cd "$installata" && wine ./compattatore.exe >"$lavoro/installato.out" 2>&1) ||
    fallisci "the installed program failed: $(cat "$lavoro/installato.out")"
impronte "$installata" | grep -v -e '^LICENSE ' -e '^README.md ' -e '^Uninstall.exe ' >"$lavoro/scritti"
impronte "$riferimento" | cmp -s - "$lavoro/scritti" || fallisci "the installed program wrote other files"

# The uninstaller copies itself away and carries on from there; it is done when it is gone.
wine "$installata/Uninstall.exe" /S || fallisci "the uninstaller failed"
disinstallato() { [ ! -e "$installata/Uninstall.exe" ] && [ ! -e "$installata/compattatore.exe" ]; }
aspetta 120 disinstallato || fallisci "not uninstalled: $(ls -A "$installata")"
sleep 1
rimasti=$(ls -A "$installata" | LC_ALL=C sort)
[ "$rimasti" = "$(cut -d' ' -f1 "$lavoro/scritti")" ] || fallisci "left after uninstalling: $rimasti"
[ ! -e "$collegamento" ] || fallisci "the Start-menu entry is still there"
! wine reg query "$chiave" >/dev/null 2>&1 || fallisci "the uninstall entry is still there"
echo "uninstalled: the run's $(wc -l <<<"$rimasti") files stay"
rm -rf "$installata"
echo "ok"
