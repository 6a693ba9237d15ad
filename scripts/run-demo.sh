#!/usr/bin/env bash
# Runs the project's main job, the viewer, with the module just built in <build>/python.
# Either way the viewer measures the ring target of its test chart with the circle gauge.
# With a display it opens the viewer's window, measuring live as the ROI is edited; without
# one it runs the viewer under a virtual X server, writes <build>/viewer.png, prints the
# result as JSON and exits.
set -euo pipefail
BUILD=${1:-build}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "$ROOT" && cd "$BUILD" && pwd)
export PYTHONPATH="$BUILD/python${PYTHONPATH:+:$PYTHONPATH}"
export NO_AT_BRIDGE=1
VIEWER="$ROOT/examples/viewer.py"
RING_TARGET=(--gauge circle --roi 960,600,40,56)
if [ -n "${DISPLAY:-}" ]; then
  exec /usr/bin/python3 "$VIEWER" --window "${RING_TARGET[@]}" "${@:2}"
fi
exec xvfb-run -a -s "-screen 0 1280x800x24" /usr/bin/python3 "$VIEWER" --screenshot "$BUILD/viewer.png" \
  "${RING_TARGET[@]}" "${@:2}"
