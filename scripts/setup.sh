#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need, when any is missing.
# Usage: scripts/setup.sh [build|test|run|fuzz]...
set -euo pipefail

packages=(cmake g++ ninja-build make qt6-base-dev libgl1-mesa-dev libgtest-dev libgmock-dev
          libbenchmark-dev libpugixml-dev zlib1g-dev libzstd-dev fonts-wine fonts-texgyre qt6-translations-l10n
          pkg-config libhunspell-dev hunspell-ru hunspell-en-us fonts-dejavu-core libsodium-dev
          libstemmer-dev qt6-image-formats-plugins qt6-charts-dev libqt6opengl6-dev qt6-svg-dev)
for what in "$@"; do
  case "$what" in
    run) packages+=(xvfb) ;;
    test) packages+=(appstream desktop-file-utils poppler-utils) ;;
    fuzz) packages+=(clang-14 libclang-rt-14-dev) ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
