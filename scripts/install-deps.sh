#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need. Idempotent and quiet
# when everything is already there; needs root (or sudo) only when something is missing.
set -euo pipefail

# libclang-rt-14-dev holds clang's sanitizer and libFuzzer runtimes (make sanitize, make fuzz): clang
# only recommends it, and recommendations are not installed here.
PACKAGES=(
  build-essential cmake pkg-config clang libclang-rt-14-dev
  libopencv-dev libopencv-contrib-dev
  libwxgtk3.2-dev libgtk-3-dev
  python3-wxgtk4.0 python3-dev python3-numpy python3-pybind11 pybind11-dev
  libheif-dev libheif-examples libjxl-dev libjxl-tools
  libgtest-dev libgmock-dev libbenchmark-dev
  python3-pytest python3-pytest-timeout python3-hypothesis python3-pil python3-piexif python3-opencv python3-matplotlib
  python3-skimage python3-distributed python3-pandas
  xvfb xauth fonts-dejavu-core
  python3-setuptools python3-wheel python3-pip python3-venv python3-build python3-mypy dpkg-dev file
)

missing=()
for pkg in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$pkg")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

SUDO=""
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "Missing packages: ${missing[*]} (run as root to install)" >&2; exit 1; }
  SUDO="sudo"
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
