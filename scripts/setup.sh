#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, when
# any is missing. Uses sudo when not run as root.
set -euo pipefail

packages=(
    build-essential cmake pkg-config ninja-build
    libboost-dev liblpsolve55-dev
    qt6-base-dev qt6-translations-l10n libqt6opengl6-dev libgl-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri
    libpng-dev nlohmann-json3-dev
    libigraph-dev libfreetype-dev libfontconfig-dev fonts-dejavu-core
    libgtest-dev libglpk-dev coinor-libclp-dev
    xvfb xauth xdotool
    clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo_cmd=(sudo)
    fi
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update
    "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi
