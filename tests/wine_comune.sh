# Shared by the scripts that run the Windows program under Wine (through scripts/wine.sh, as
# CTest does), on top of the window scripts' helpers: a scratch directory, polling, Xvfb.
# Sourced, not run.
source "$(dirname "${BASH_SOURCE[0]}")/gui/xvfb_comune.sh"
wine_sh=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/scripts/wine.sh
[ -x "$wine_sh" ] || fallisci "$wine_sh is missing"
# Wine runs as nobody when the tests run as root: it must be able to write where it is sent.
chmod 0777 "$lavoro"

# Runs a Windows program under Wine with no display: the program then talks to the terminal.
wine() {
    env -u DISPLAY -u WAYLAND_DISPLAY "$wine_sh" "$@"
}

# A fresh directory inside the scratch one that Wine may write in.
cartella() {
    mkdir -p "$lavoro/$1"
    chmod 0777 "$lavoro/$1"
    echo "$lavoro/$1"
}

# "NAME SHA-256" of every file in a directory but the programs, one a line, sorted by name.
impronte() {
    (cd "$1" && find . -maxdepth 1 -type f ! -name 'compattatore*' -printf '%f\n' | LC_ALL=C sort |
        while IFS= read -r f; do printf '%s %s\n' "$f" "$(sha256sum <"$f" | cut -d' ' -f1)"; done)
}
