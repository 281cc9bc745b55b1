#!/usr/bin/env bash
# Installs the Debian packages Tavrel needs that are missing; safe to run again.
# Usage: scripts/setup-deps.sh [extra-package ...]
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config ccache
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev qt6-tools-dev qt6-l10n-tools
    qt6-translations-l10n
    libedf-dev libbiosig-dev biosig-tools libmatio-dev zlib1g-dev
    libgtest-dev googletest libbenchmark-dev
    clang libclang-rt-14-dev
    fonts-ipafont-gothic xvfb xauth locales
    desktop-file-utils shared-mime-info
    parallel strace
    help2man lintian appstream dpkg-dev man-db fakeroot gzip bash-completion
    "$@"
)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# A decimal-comma locale for the tests that prove locale independence.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    $sudo sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
    $sudo locale-gen >/dev/null
fi
