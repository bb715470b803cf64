#!/usr/bin/env bash
# Installs the Debian packages VEL builds and runs with, only those missing.
# Runs apt as root directly, otherwise through sudo. Puts Garmin's FIT SDK
# decoder, a test oracle, into build/fitsdk.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  cmake ninja-build g++ pkg-config
  libcpprest-dev libssl-dev zlib1g-dev libminizip-dev
  qt6-base-dev qt6-webengine-dev libsqlite3-dev libusb-1.0-0-dev
  libpq-dev postgresql
  fonts-nanum
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xdotool gdb clang-format
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

# Node runs Garmin's FIT SDK decoder, which the tests read every exported
# FIT file with; a machine with its own Node (and npm) keeps it.
if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
  missing+=(nodejs npm)
fi

fitsdk() {
  # The test oracle, into the build folder: never part of the tree.
  local folder=build/fitsdk version=21.222.0
  if [ -f "$folder/node_modules/@garmin/fitsdk/package.json" ] &&
     grep -q "\"version\": \"$version\"" "$folder/node_modules/@garmin/fitsdk/package.json"; then
    return
  fi
  echo "setup: installing Garmin's FIT SDK decoder $version into $folder"
  mkdir -p "$folder"
  npm install --silent --no-audit --no-fund --no-save --prefix "$folder" "@garmin/fitsdk@$version" >/dev/null
}

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  fitsdk
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
fitsdk
echo "setup: done"
