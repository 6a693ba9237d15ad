#!/usr/bin/env bash
# Builds the project with AddressSanitizer and UndefinedBehaviorSanitizer into its own
# tree (build-sanitize) and runs the whole suite on it. clang builds it: its undefined-
# behaviour set includes float-cast-overflow, which catches float-to-int casts that
# overflow (GCC lacks the check). Every sanitizer report aborts the test that raised it.
#
# The Python tests run Debian's uninstrumented interpreter with the sanitizer runtime
# preloaded (scripts/run-tests.sh, TIVRA_TEST_PRELOAD); child interpreters inherit it.
# Leak detection is off: the interpreter, GTK and fontconfig keep allocations until exit
# by design, and the soak benchmark watches memory growth instead.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build-sanitize}
RUNTIME=$(clang++ -print-file-name=libclang_rt.asan-x86_64.so)
SANITIZE="-fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all -fno-omit-frame-pointer"
# Every program and the module share the one runtime that the interpreter preloads.
LINK="-shared-libasan -Wl,-rpath,$(dirname "$RUNTIME")"
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi

# -O1 and line tables only, no benchmarks:
# the tree builds in a fraction of the normal build's time and reports still name lines.
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -gline-tables-only" -DCMAKE_CXX_FLAGS="$SANITIZE" \
  -DCMAKE_EXE_LINKER_FLAGS="$LINK" -DCMAKE_SHARED_LINKER_FLAGS="$LINK" -DCMAKE_MODULE_LINKER_FLAGS="$LINK" \
  -DTIVRA_BUILD_BENCH=OFF "${launcher[@]}" >"$BUILD.configure.log" 2>&1 \
  || { cat "$BUILD.configure.log"; exit 1; }
cmake --build "$BUILD" -j "$(nproc)" -- --no-print-directory -s

export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:symbolize=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The install routes build wheels and packages from the normal tree: nothing to sanitize
# there. Fewer random panel sessions than the normal suite: each step is slower here.
TIVRA_STATEFUL_EXAMPLES=10 TIVRA_TEST_PRELOAD="$RUNTIME" TIVRA_CTEST_EXCLUDE=install_routes bash "$ROOT/scripts/run-tests.sh" "$BUILD"
