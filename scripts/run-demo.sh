#!/usr/bin/env bash
# Runs the project's main job with the module just built in <build>/python.
set -euo pipefail
BUILD=${1:-build}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "$ROOT" && cd "$BUILD" && pwd)
export PYTHONPATH="$BUILD/python${PYTHONPATH:+:$PYTHONPATH}"
exec /usr/bin/python3 "$ROOT/examples/image_info_demo.py"
