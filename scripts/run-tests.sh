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
# The sanitizer run (scripts/run-sanitize.sh) preloads its runtime into the interpreter
# and leaves out native tests that do not concern it.
PRELOAD=()
if [[ -n ${TIVRA_TEST_PRELOAD:-} ]]; then PRELOAD=(env LD_PRELOAD="$TIVRA_TEST_PRELOAD"); fi
EXCLUDE=()
if [[ -n ${TIVRA_CTEST_EXCLUDE:-} ]]; then EXCLUDE=(-E "$TIVRA_CTEST_EXCLUDE"); fi

echo "== native tests (ctest)"
# Each runner has an outer time limit, so a hung event loop fails the run instead of stalling it.
# -noreset keeps the X server up between test processes (a reset drops connections being made).
timeout 2400 xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" \
  ctest --test-dir "$BUILD" --output-on-failure --output-junit "$REPORTS/ctest.xml" -j 2 --timeout 300 "${EXCLUDE[@]}"
echo "== Python tests (pytest)"
timeout 2400 xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" \
  "${PRELOAD[@]}" /usr/bin/python3 -m pytest -q -p no:cacheprovider --timeout=300 "$ROOT/tests" --junitxml="$REPORTS/pytest.xml"

/usr/bin/python3 "$ROOT/scripts/summarize-junit.py" "$REPORTS"/*.xml
