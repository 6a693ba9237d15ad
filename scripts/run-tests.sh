#!/usr/bin/env bash
# Runs every test, native (CTest/GoogleTest) and Python (pytest), under a virtual
# X server, and ends with one summary line "N passed, N failed".
set -uo pipefail
BUILD=${1:-build}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "$ROOT" && cd "$BUILD" && pwd)
REPORTS="$BUILD/test-reports"
rm -rf "$REPORTS" && mkdir -p "$REPORTS"

export PYTHONPATH="$BUILD/python${PYTHONPATH:+:$PYTHONPATH}"
export PYTHONDONTWRITEBYTECODE=1
export NO_AT_BRIDGE=1

echo "== native tests (ctest)"
# Each runner has an outer time limit, so a hung event loop fails the run instead of stalling it.
# -noreset keeps the X server up between test processes (a reset drops connections being made).
timeout 2400 xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" \
  ctest --test-dir "$BUILD" --output-on-failure --output-junit "$REPORTS/ctest.xml" -j 2 --timeout 300
echo "== Python tests (pytest)"
timeout 2400 xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" \
  /usr/bin/python3 -m pytest -q -p no:cacheprovider --timeout=300 "$ROOT/tests" --junitxml="$REPORTS/pytest.xml"

/usr/bin/python3 "$ROOT/scripts/summarize-junit.py" "$REPORTS"/*.xml
