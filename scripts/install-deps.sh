#!/usr/bin/env bash
# Installs every Debian package that building, testing and benchmarking Checkwell needs.
# Safe to run again: packages already present are skipped, and apt is only asked when
# something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools libgl-dev
  # The version check asks the product site through Qt Network.
  libqt6network6
  # libqt6svg6 also holds the plugins through which Qt draws SVG theme icons.
  qt6-svg-dev libqt6svg6
  libpugixml-dev libisal-dev
  libzip-dev zipcmp zipmerge ziptool
  libjpeg62-turbo-dev
  libgtest-dev libgmock-dev
  clang libclang-rt-14-dev
  xvfb xauth
  rhash
  # The package: dpkg-shlibdeps computes its dependencies; the tests validate the
  # desktop entry and the AppStream metadata.
  dpkg-dev file desktop-file-utils appstream
)

# rhash is a peer the tests check checkwell-verify's verdicts against; the
# benchmarks also time cksfv.
if [ "${1:-}" = "--bench" ]; then
  packages+=(cksfv zip unzip bc python3)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
