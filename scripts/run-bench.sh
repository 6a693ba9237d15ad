#!/usr/bin/env bash
# Runs every benchmark: the Google Benchmark executables built from
# bench/bench_*.cpp, then the Python benchmark scripts bench/bench_*.py (other
# scripts there are helpers the benchmarks call with arguments).
set -uo pipefail
BUILD=${1:-build}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "$ROOT" && cd "$BUILD" && pwd)
export PYTHONPATH="$BUILD/python${PYTHONPATH:+:$PYTHONPATH}"
status=0
for exe in "$BUILD"/bench/bench_*; do
  [[ -x "$exe" && -f "$exe" ]] || continue
  echo "== $(basename "$exe")"
  "$exe" --benchmark_color=false || status=1
done
for script in "$ROOT"/bench/bench_*.py; do
  [[ -f "$script" ]] || continue
  echo "== $(basename "$script")"
  xvfb-run -a -s "-screen 0 1920x1080x24" /usr/bin/python3 "$script" || status=1
done
exit $status
