#!/usr/bin/env bash
# Copies the built module and tivra_batch into Debian's Python (needs root), so that any script
# run with /usr/bin/python3 can "import TivraModule".
set -euo pipefail
BUILD=${1:-build}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
TARGET=${TIVRA_INSTALL_DIR:-/usr/local/lib/python3.11/dist-packages}
shopt -s nullglob
modules=("$ROOT/$BUILD"/python/TivraModule*.so)
[[ ${#modules[@]} -eq 1 ]] || { echo "Build the module first (make build)" >&2; exit 1; }
SUDO=""
[[ $(id -u) -eq 0 ]] || SUDO="sudo"
$SUDO install -d "$TARGET"
$SUDO install -m 644 "${modules[0]}" "$TARGET/"
$SUDO install -d "$TARGET/tivra_batch"
$SUDO install -m 644 "$ROOT"/module/tivra_batch/*.py "$TARGET/tivra_batch/"
echo "Installed $(basename "${modules[0]}") and tivra_batch into $TARGET"
