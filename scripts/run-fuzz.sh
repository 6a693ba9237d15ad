#!/usr/bin/env bash
# Fuzzes the EXIF reader and each image header reader with libFuzzer and
# AddressSanitizer for a bounded time (FUZZ_SECONDS per target, default 60 for
# the EXIF reader and a fifth of it for each header reader). A crashing input is
# copied to tests/data/exif-regressions/ or tests/data/header-regressions/,
# where the io tests replay it, and the run fails.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
SECONDS_TO_RUN=${FUZZ_SECONDS:-60}
HEADER_SECONDS=${FUZZ_HEADER_SECONDS:-$(( SECONDS_TO_RUN / 5 > 0 ? SECONDS_TO_RUN / 5 : 1 ))}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
failed=0

# fuzz <name> <seconds> <regression folder> <seed folder> <sources...>
fuzz() {
  local name=$1 seconds=$2 regressions=$3 seeds=$4
  shift 4
  clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$ROOT/include" -I"$ROOT/tests/fuzz" "$@" -o "$WORK/$name"
  mkdir -p "$WORK/$name.corpus" "$WORK/$name.artifacts"
  cp "$seeds"/* "$regressions"/* "$WORK/$name.corpus/" 2>/dev/null || true
  echo "Fuzzing $name for ${seconds} s"
  local status=0
  "$WORK/$name" -max_total_time="$seconds" -max_len=8192 -print_final_stats=1 \
    -artifact_prefix="$WORK/$name.artifacts/" "$WORK/$name.corpus" >"$WORK/$name.log" 2>&1 || status=$?
  grep -E '^stat::number_of_executed_units|^#[0-9]+ +DONE' "$WORK/$name.log" || true
  shopt -s nullglob
  local crashes=("$WORK/$name.artifacts"/*)
  if [[ $status -ne 0 || ${#crashes[@]} -gt 0 ]]; then
    tail -n 40 "$WORK/$name.log"
    mkdir -p "$regressions"
    for crash in "${crashes[@]}"; do
      cp "$crash" "$regressions/$name-$(basename "$crash")"
      echo "Regression input saved: $regressions/$name-$(basename "$crash")"
    done
    failed=1
  fi
}

fuzz fuzz_exif_reader "$SECONDS_TO_RUN" "$ROOT/tests/data/exif-regressions" "$ROOT/tests/data/exif-seeds" \
  "$ROOT/tests/fuzz/fuzz_exif_reader.cpp" "$ROOT/io/ExifReader.cpp" "$ROOT/io/JpegHeader.cpp"

# Small valid files of every kind each header reader meets, as starting points.
mkdir -p "$WORK/header-seeds"
/usr/bin/python3 - "$WORK/header-seeds" <<'PY'
import sys, cv2, numpy as np
out = sys.argv[1]
pixels = np.arange(5 * 3 * 4, dtype=np.uint8).reshape(3, 5, 4)
for index, (ext, image) in enumerate([(".png", pixels), (".png", pixels[:, :, :3].astype(np.uint16)),
                                      (".tif", pixels), (".tif", pixels[:, :, 0].astype(np.float32)),
                                      (".bmp", pixels[:, :, :3]), (".bmp", pixels[:, :, 0]), (".webp", pixels),
                                      (".webp", pixels[:, :, :3]), (".pgm", pixels[:, :, 0]), (".ppm", pixels[:, :, :3])]):
    ok, data = cv2.imencode(ext, image)
    open(f"{out}/seed{index}{ext}", "wb").write(data.tobytes())
PY
for reader in png tiff bmp webp pnm; do
  Reader=$(echo "$reader" | sed 's/^./\U&/')
  fuzz "fuzz_${reader}_header" "$HEADER_SECONDS" "$ROOT/tests/data/header-regressions" "$WORK/header-seeds" \
    "$ROOT/tests/fuzz/fuzz_${reader}_header.cpp" "$ROOT/io/${Reader}Header.cpp" "$ROOT/io/FileBytes.cpp"
done

if [[ $failed -ne 0 ]]; then
  exit 1
fi
echo "No crash found."
