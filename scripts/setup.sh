#!/usr/bin/env bash
# Installs the Debian packages Zorva needs to build, test, benchmark and
# check the formatting.
# Idempotent: packages already installed are skipped, and the package lists
# are refreshed only when something has to be installed.
#   scripts/setup.sh         build, test and benchmark dependencies
#   scripts/setup.sh --dev   also Xvfb, ImageMagick and xdotool, for looking at the
#                            desktop program under a virtual display,
#                            desktop-file-validate for the .desktop entry, and
#                            pngcheck, which the PNG writer's tests use when
#                            it is there
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config time bc clang-format python3
  locales
  libpng-dev libjpeg62-turbo-dev zlib1g-dev libstb-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
)
if [[ "${1:-}" == "--dev" ]]; then
  packages+=(xvfb xauth imagemagick x11-utils xdotool desktop-file-utils pngcheck)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

sudo=""
if [[ $(id -u) -ne 0 ]]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}" >&2
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
