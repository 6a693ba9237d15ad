#!/usr/bin/env bash
# Fuzzes every parser of untrusted bytes with libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, each target for a bounded time (FUZZ_SECONDS, default
# 60; FUZZ_TARGETS picks some). A crashing input is copied to
# tests/data/<format>-regressions/ (the io tests replay the EXIF ones) and the run fails.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
SECONDS_TO_RUN=${FUZZ_SECONDS:-60}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# target: sources beyond tests/fuzz/fuzz_<target>.cpp | pkg-config packages
declare -A SOURCES=(
  [exif_reader]="io/ExifReader.cpp io/JpegHeader.cpp"
  [heif_reader]="io/HeifUtils.cpp io/JxlUtils.cpp io/UnicodeImage.cpp io/FileWrite.cpp"
  [jxl_reader]="io/HeifUtils.cpp io/JxlUtils.cpp io/UnicodeImage.cpp io/FileWrite.cpp"
)
declare -A PACKAGES=([exif_reader]="" [heif_reader]="opencv4 libheif libjxl libjxl_threads"
                     [jxl_reader]="opencv4 libheif libjxl libjxl_threads")
read -r -a TARGETS <<<"${FUZZ_TARGETS:-exif_reader heif_reader jxl_reader}"

build() {
  local target=$1 sources=() flags=()
  for source in ${SOURCES[$target]}; do sources+=("$ROOT/$source"); done
  if [[ -n ${PACKAGES[$target]} ]]; then read -r -a flags <<<"$(pkg-config --cflags --libs ${PACKAGES[$target]})"; fi
  clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined,float-cast-overflow -fno-sanitize-recover=all \
    -I"$ROOT/include" -I"$ROOT/io" "$ROOT/tests/fuzz/fuzz_$target.cpp" "${sources[@]}" "${flags[@]}" \
    -o "$WORK/fuzz_$target"
}

# Small valid files to start from: the committed EXIF seeds, HEIF and JPEG XL files encoded here.
seed() {
  local target=$1 corpus=$WORK/corpus-$1
  mkdir -p "$corpus"
  case $target in
    exif_reader) cp "$ROOT"/tests/data/exif-seeds/* "$corpus/" ;;
    heif_reader|jxl_reader)
      /usr/bin/python3 -c "import cv2, numpy as np, sys; cv2.imwrite(sys.argv[1], np.indices((24, 32, 3)).sum(0).astype(np.uint8) * 9)" "$WORK/seed.png"
      if [[ $target == heif_reader ]]; then
        heif-enc -q 50 -o "$corpus/seed.heic" "$WORK/seed.png" >/dev/null
        heif-enc -L -o "$corpus/lossless.heic" "$WORK/seed.png" >/dev/null
      else
        cjxl -q 50 "$WORK/seed.png" "$corpus/seed.jxl" >/dev/null 2>&1
        cjxl -d 0 "$WORK/seed.png" "$corpus/lossless.jxl" >/dev/null 2>&1
      fi ;;
  esac
  cp "$ROOT/tests/data/${target%_reader}-regressions"/* "$corpus/" 2>/dev/null || true
}

failed=0
for target in "${TARGETS[@]}"; do
  build "$target"
  seed "$target"
  mkdir -p "$WORK/artifacts-$target"
  echo "Fuzzing $target for ${SECONDS_TO_RUN} s"
  status=0
  "$WORK/fuzz_$target" -max_total_time="$SECONDS_TO_RUN" -max_len=8192 -close_fd_mask=2 -print_final_stats=1 \
    -artifact_prefix="$WORK/artifacts-$target/" "$WORK/corpus-$target" >"$WORK/$target.log" 2>&1 || status=$?
  grep -E '^stat::number_of_executed_units' "$WORK/$target.log" || true
  shopt -s nullglob
  crashes=("$WORK/artifacts-$target"/*)
  shopt -u nullglob
  if [[ $status -ne 0 || ${#crashes[@]} -gt 0 ]]; then
    failed=1
    grep -v '^#[0-9]' "$WORK/$target.log" | tail -n 40
    regressions=tests/data/${target%_reader}-regressions
    mkdir -p "$ROOT/$regressions"
    for crash in "${crashes[@]}"; do
      cp "$crash" "$ROOT/$regressions/"
      echo "Regression input saved: $regressions/$(basename "$crash")"
    done
  fi
done
[[ $failed -eq 0 ]] && echo "No crash found."
exit $failed
