#!/usr/bin/env bash
# Installs the Debian packages of scripts/debian-packages.txt that are missing.
# Quick when everything is present; needs root (or sudo) only when something is missing.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

mapfile -t wanted < <(sed -e 's/#.*//' "$here/debian-packages.txt" | awk 'NF { print $1 }' | sort -u)

installed=$(dpkg-query -W -f='${Package} ${db:Status-Abbrev}\n' "${wanted[@]}" 2>/dev/null | awk '$2 ~ /^ii/ { print $1 }' || true)
missing=()
for pkg in "${wanted[@]}"; do
    grep -qx -- "$pkg" <<<"$installed" || missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null; then
        sudo=(sudo)
    else
        echo "setup: these packages are missing and installing them needs root: ${missing[*]}" >&2
        exit 1
    fi
fi
apt_opts=(-o DPkg::Lock::Timeout=600 -o Acquire::Retries=3 -q)
export DEBIAN_FRONTEND=noninteractive
# A package list that old or absent makes installs fail on a fresh machine image.
if [ -z "$(find /var/lib/apt/lists -maxdepth 1 -name '*Packages*' -mmin -1440 2>/dev/null | head -n 1)" ]; then
    "${sudo[@]}" apt-get "${apt_opts[@]}" update
fi
if ! "${sudo[@]}" apt-get "${apt_opts[@]}" install -y --no-install-recommends "${missing[@]}"; then
    "${sudo[@]}" apt-get "${apt_opts[@]}" update
    "${sudo[@]}" apt-get "${apt_opts[@]}" install -y --no-install-recommends "${missing[@]}"
fi
