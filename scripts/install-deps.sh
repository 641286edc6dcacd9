#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need; does nothing when all
# of them are present.
set -euo pipefail
# xdg-utils opens the user guide; desktop-file-utils and appstream validate what gets installed;
# dpkg-dev lets cpack find the package's library dependencies; lintian checks the package.
packages=(cmake make g++ qt6-base-dev libsqlite3-0 libsqlite3-dev libjpeg62-turbo poppler-utils
          fonts-liberation xdg-utils desktop-file-utils appstream dpkg-dev lintian)
missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
if ! command -v apt-get >/dev/null; then
    echo "Missing packages: ${missing[*]}. Install them with your system's package manager." >&2
    exit 1
fi
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
