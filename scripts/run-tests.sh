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

# The native tests and two groups of Python tests run side by side, each under its own X
# server, so windows, pointer and focus of one group never meet another's. Most of the
# suite waits on the event loop, which leaves the two cores room for three runners.
# Each runner has an outer time limit, so a hung event loop fails the run instead of
# stalling it. -noreset keeps an X server up between test processes (a reset drops
# connections being made).
XVFB=(timeout 2400 xvfb-run -a -s "-screen 0 1920x1080x24 -noreset")
run_pytest() {  # <report name> <paths...>
  local name=$1; shift
  "${XVFB[@]}" "${PRELOAD[@]}" /usr/bin/python3 -m pytest -q -p no:cacheprovider --timeout=300 \
    --junitxml="$REPORTS/$name.xml" "$@"
}
# The random panel sessions take a third of the engine tests' time: they join the
# other directories' group, which balances the two.
STATEFUL="$ROOT/tests/engine/test_panels_stateful.py"
mapfile -t OTHER_DIRS < <(find "$ROOT/tests" -mindepth 1 -maxdepth 1 -type d ! -name engine ! -name '__pycache__' | sort)

"${XVFB[@]}" ctest --test-dir "$BUILD" --output-on-failure --output-junit "$REPORTS/ctest.xml" -j 2 --timeout 300 \
  "${EXCLUDE[@]}" >"$REPORTS/ctest.log" 2>&1 &
run_pytest pytest-engine "$ROOT/tests/engine" --ignore "$STATEFUL" >"$REPORTS/pytest-engine.log" 2>&1 &
run_pytest pytest-other "${OTHER_DIRS[@]}" "$STATEFUL" >"$REPORTS/pytest-other.log" 2>&1 &
wait

for name in ctest pytest-engine pytest-other; do
  echo "== $name"
  cat "$REPORTS/$name.log"
done
/usr/bin/python3 "$ROOT/scripts/summarize-junit.py" "$REPORTS"/{ctest,pytest-engine,pytest-other}.xml
