#!/usr/bin/env bash
# Installs the Debian packages VEL builds and runs with, only those missing.
# Runs apt as root directly, otherwise through sudo.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libcpprest-dev libssl-dev zlib1g-dev libminizip-dev
  qt6-base-dev qt6-webengine-dev libsqlite3-dev libusb-1.0-0-dev
  fonts-nanum
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb gdb
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "setup: missing packages (${missing[*]}) and neither root nor sudo to install them" >&2
  exit 1
fi

echo "setup: installing ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "setup: done"
