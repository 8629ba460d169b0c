#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. As root it installs what is
# missing; otherwise it prints the exact apt-get line to run and fails if anything is missing.
set -euo pipefail

packages=(
  g++ clang clang-tidy libclang-rt-14-dev cmake ninja-build pkg-config
  libgtest-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev libfltk1.3-dev
  help2man xvfb xauth xfonts-base fonts-dejavu-core xdotool x11-apps imagemagick libxml2-utils
  python3 dpkg-dev time bash-completion lintian man-db groff-base
  # The view's browser test: headless Chromium.
  chromium
  # The Windows build: the cross compiler, GoogleTest's sources, Wine to run it, NSIS to package it.
  g++-mingw-w64-x86-64-posix googletest wine64 wine nsis
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
else
  echo "Missing packages. Run as root:" >&2
  echo "  apt-get install -y ${missing[*]}" >&2
  exit 1
fi
