#!/usr/bin/env bash
# Fuzzes every parser of untrusted bytes with libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer (float-cast-overflow included), each target for a bounded
# time: FUZZ_SECONDS (default 60) for the EXIF, HEIF, JPEG XL and ROI state readers, a
# fifth of it (FUZZ_HEADER_SECONDS) for each image header reader; FUZZ_TARGETS picks
# some. A crashing input is copied into the folder its tests replay (tests/data/io/exif for
# the EXIF reader, tests/data/io/headers for the header readers, whose layout test counts
# its files), or for the others tests/data/<heif|jxl|roi-state>-regressions/, and the run fails.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
SECONDS_TO_RUN=${FUZZ_SECONDS:-60}
HEADER_SECONDS=${FUZZ_HEADER_SECONDS:-$(( SECONDS_TO_RUN / 5 > 0 ? SECONDS_TO_RUN / 5 : 1 ))}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# The HEIF and JPEG XL adapters reach into the whole reading side of io.
IO_READERS=$(cd "$ROOT" && ls io/*.cpp | grep -v -e io/Log.cpp -e io/Utils.cpp | tr '\n' ' ')
declare -A SOURCES=(
  [exif_reader]="io/ExifReader.cpp io/JpegHeader.cpp"
  [heif_reader]="$IO_READERS io/Log.cpp"
  [jxl_reader]="$IO_READERS io/Log.cpp"
  [roi_state]="roi/ROIState.cpp roi/ROIEditRecord.cpp roi/ROIEditor.cpp roi/ROIGeometry.cpp roi/ROIPoints.cpp roi/ROIHitTest.cpp analysis/Geometry.cpp"
)
# Every reader's information type carries OpenCV values; the HEIF and JPEG XL adapters need their codecs too.
declare -A PACKAGES=([heif_reader]="opencv4 libheif libjxl libjxl_threads"
                     [jxl_reader]="opencv4 libheif libjxl libjxl_threads")
for reader in png tiff bmp webp pnm; do
  Reader=$(echo "$reader" | sed 's/^./\U&/')
  SOURCES[${reader}_header]="io/${Reader}Header.cpp io/FileBytes.cpp"
done
read -r -a TARGETS <<<"${FUZZ_TARGETS:-exif_reader png_header tiff_header bmp_header webp_header pnm_header heif_reader jxl_reader roi_state}"

build() {
  local target=$1 sources=() flags=() main="$ROOT/tests/fuzz/fuzz_$1.cpp"
  for source in ${SOURCES[$target]}; do sources+=("$ROOT/$source"); done
  read -r -a flags <<<"$(pkg-config --cflags --libs ${PACKAGES[$target]:-opencv4})"
  # The image header readers share one target, told at build time which reader to run.
  if [[ $target == *_header ]]; then
    main="$ROOT/tests/fuzz/fuzz_header.cpp"
    flags+=("-DFUZZ_HEADER_READER=Read$(echo "${target%_header}" | sed 's/^./\U&/')Header")
  fi
  clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined,float-cast-overflow -fno-sanitize-recover=all \
    -I"$ROOT/include" -I"$ROOT/io" "$main" "${sources[@]}" "${flags[@]}" -o "$WORK/fuzz_$target"
}

regressions_of() {
  case $1 in
    exif_reader) echo tests/data/io/exif ;;
    *_header) echo tests/data/io/headers ;;
    roi_state) echo tests/data/roi-state-regressions ;;
    *) echo "tests/data/${1%_reader}-regressions" ;;
  esac
}

# Small valid files to start from: the committed EXIF seeds, images of every kind encoded here.
make_seeds() {
  mkdir -p "$WORK/seeds"
  /usr/bin/python3 - "$WORK/seeds" <<'PY'
import sys, cv2, numpy as np
out = sys.argv[1]
pixels = np.arange(5 * 3 * 4, dtype=np.uint8).reshape(3, 5, 4)
for index, (ext, image) in enumerate([(".png", pixels), (".png", pixels[:, :, :3].astype(np.uint16)),
                                      (".tif", pixels), (".tif", pixels[:, :, 0].astype(np.float32)),
                                      (".bmp", pixels[:, :, :3]), (".bmp", pixels[:, :, 0]), (".webp", pixels),
                                      (".webp", pixels[:, :, :3]), (".pgm", pixels[:, :, 0]), (".ppm", pixels[:, :, :3])]):
    ok, data = cv2.imencode(ext, image)
    open(f"{out}/seed{index}{ext}", "wb").write(data.tobytes())
cv2.imwrite(f"{out}/heif-jxl-source.png", np.indices((24, 32, 3)).sum(0).astype(np.uint8) * 9)
# ROI states, one field a line: name, type letter (b i r t l o), value
states = {"circle": "version i 1\nkind t Circle\ncx r 10.5\ncy r 20\nradius r 5\n",
          "annulus": "version i 1\nkind t Annulus\ncx r 1\ncy r 2\nradius r 9\ninner_radius r 3\n"
                     "start_angle r 0\nend_angle r 270\n",
          "rotated": "version i 1\nkind t RotatedRectangle\nx r 1\ny r 2\nwidth r 30\nheight r 4\nangle r 33\n",
          "polygon": "version i 1\nkind t Polygon\npoints l 1 2 30 4 5 60\nclosed b 1\n"}
for name, text in states.items():
    open(f"{out}/{name}.roi", "w").write(text)
PY
  heif-enc -q 50 -o "$WORK/seeds/seed.heic" "$WORK/seeds/heif-jxl-source.png" >/dev/null
  heif-enc -L -o "$WORK/seeds/lossless.heic" "$WORK/seeds/heif-jxl-source.png" >/dev/null
  cjxl -q 50 "$WORK/seeds/heif-jxl-source.png" "$WORK/seeds/seed.jxl" >/dev/null 2>&1
  cjxl -d 0 "$WORK/seeds/heif-jxl-source.png" "$WORK/seeds/lossless.jxl" >/dev/null 2>&1
}

seed() {
  local target=$1 corpus=$WORK/corpus-$1
  mkdir -p "$corpus"
  case $target in
    exif_reader) cp "$ROOT"/tests/data/exif-seeds/* "$corpus/" ;;
    heif_reader) cp "$WORK"/seeds/*.heic "$corpus/" ;;
    jxl_reader) cp "$WORK"/seeds/*.jxl "$corpus/" ;;
    roi_state) cp "$WORK"/seeds/*.roi "$corpus/" ;;
    *) cp "$WORK"/seeds/seed* "$corpus/" ;;
  esac
  cp "$ROOT/$(regressions_of "$target")"/* "$corpus/" 2>/dev/null || true
}

make_seeds
failed=0
for target in "${TARGETS[@]}"; do
  build "$target"
  seed "$target"
  seconds=$SECONDS_TO_RUN
  if [[ $target == *_header ]]; then seconds=$HEADER_SECONDS; fi
  mkdir -p "$WORK/artifacts-$target"
  echo "Fuzzing $target for ${seconds} s"
  status=0
  "$WORK/fuzz_$target" -max_total_time="$seconds" -max_len=8192 -close_fd_mask=2 -print_final_stats=1 \
    -artifact_prefix="$WORK/artifacts-$target/" "$WORK/corpus-$target" >"$WORK/$target.log" 2>&1 || status=$?
  grep -E '^stat::number_of_executed_units' "$WORK/$target.log" || true
  shopt -s nullglob
  crashes=("$WORK/artifacts-$target"/*)
  shopt -u nullglob
  if [[ $status -ne 0 || ${#crashes[@]} -gt 0 ]]; then
    failed=1
    grep -v '^#[0-9]' "$WORK/$target.log" | tail -n 40
    regressions=$(regressions_of "$target")
    mkdir -p "$ROOT/$regressions"
    for crash in "${crashes[@]}"; do
      cp "$crash" "$ROOT/$regressions/$target-$(basename "$crash")"
      echo "Regression input saved: $regressions/$target-$(basename "$crash")"
    done
  fi
done
[[ $failed -eq 0 ]] && echo "No crash found."
exit $failed
