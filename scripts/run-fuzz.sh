#!/usr/bin/env bash
# Fuzzes the EXIF reader with libFuzzer and AddressSanitizer for a bounded time
# (FUZZ_SECONDS, default 60). A crashing input is copied to
# tests/data/exif-regressions/, where the io tests replay it, and the run fails.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
SECONDS_TO_RUN=${FUZZ_SECONDS:-60}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$ROOT/include" "$ROOT/tests/fuzz/fuzz_exif_reader.cpp" "$ROOT/io/ExifReader.cpp" "$ROOT/io/JpegHeader.cpp" -o "$WORK/fuzz_exif_reader"

mkdir -p "$WORK/corpus" "$WORK/artifacts"
cp "$ROOT"/tests/data/exif-seeds/* "$ROOT"/tests/data/exif-regressions/* "$WORK/corpus/" 2>/dev/null || true
echo "Fuzzing the EXIF reader for ${SECONDS_TO_RUN} s"
status=0
"$WORK/fuzz_exif_reader" -max_total_time="$SECONDS_TO_RUN" -max_len=8192 -print_final_stats=1 \
  -artifact_prefix="$WORK/artifacts/" "$WORK/corpus" >"$WORK/fuzz.log" 2>&1 || status=$?
grep -E '^stat::number_of_executed_units|^#[0-9]+ +DONE' "$WORK/fuzz.log" || true

shopt -s nullglob
crashes=("$WORK"/artifacts/*)
if [[ $status -ne 0 || ${#crashes[@]} -gt 0 ]]; then
  tail -n 40 "$WORK/fuzz.log"
  mkdir -p "$ROOT/tests/data/exif-regressions"
  for crash in "${crashes[@]}"; do
    cp "$crash" "$ROOT/tests/data/exif-regressions/$(basename "$crash")"
    echo "Regression input saved: tests/data/exif-regressions/$(basename "$crash")"
  done
  exit 1
fi
echo "No crash found."
