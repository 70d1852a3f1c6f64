#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
# As root it runs apt-get; otherwise it prints the apt-get line to run and stops.
set -eu
packages=(build-essential cmake ninja-build pkg-config libpcre2-dev libxlsxwriter-dev qt6-base-dev
          qt6-svg-dev libgtest-dev poppler-utils unzip ccache)
[ "${LEXMORA_NO_UI:-0}" = 1 ] && packages=(build-essential cmake ninja-build pkg-config libpcre2-dev libxlsxwriter-dev libgtest-dev
          unzip ccache)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
line="apt-get install -y ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages. Run as root:  apt-get update && $line" >&2
    exit 1
fi
echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
