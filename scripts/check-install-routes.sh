#!/usr/bin/env bash
# Builds the wheel and the two Debian packages from an already built tree, installs
# each into a throwaway place and uses it from there: the wheel into a venv, the
# packages unpacked with dpkg -x; the C++ example builds against the unpacked
# libtivra-dev through find_package(Tivra) and through pkg-config.
#   scripts/check-install-routes.sh [build-dir]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "$ROOT" && cd "${1:-build}" && pwd)
VERSION=$(sed -n 's/^project(TivraModule VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
unset PYTHONPATH  # the module must come from each install, never from the build tree
step() { echo "== $* (at ${SECONDS}s)"; }
fail() { echo "FAILED: $*" >&2; exit 1; }

# Imports the module with the given interpreter, checks where it came from and runs
# a short engine session.
use_module() {  # <python> <expected location prefix>
  (cd "$WORK" && "$1" - "$2" "$VERSION" <<'PY'
import sys
import numpy as np
import TivraModule
location, version = sys.argv[1], sys.argv[2]
assert TivraModule.__file__.startswith(location), TivraModule.__file__
assert TivraModule.__version__ == version, TivraModule.__version__
import tivra_batch
assert tivra_batch.__file__.startswith(location), tivra_batch.__file__
engine = TivraModule.TivraEngine()
engine.SetMat(np.full((30, 40, 3), 200, np.uint8))
engine.Resize(20, 15)
assert engine.GetMat().shape == (15, 20, 3)
print("imported", TivraModule.__file__)
PY
  ) 2>/dev/null || fail "importing TivraModule from $2"
}

step "wheel (python3 -m build --wheel --no-isolation, reusing $BUILD)"
TIVRA_CMAKE_BUILD_DIR="$BUILD" /usr/bin/python3 -m build --wheel --no-isolation --outdir "$WORK/dist" "$ROOT" \
  >"$WORK/wheel.log" 2>&1 || { cat "$WORK/wheel.log"; fail "building the wheel"; }
WHEEL=$(echo "$WORK"/dist/TivraModule-"$VERSION"-cp311-cp311-linux_x86_64.whl)
[[ -f "$WHEEL" ]] || fail "no wheel named $(basename "$WHEEL")"

step "wheel into a venv with the system's site packages"
/usr/bin/python3 -m venv --system-site-packages --without-pip "$WORK/venv"
/usr/bin/python3 -m pip --python "$WORK/venv/bin/python" install -q --no-index "$WHEEL" \
  || fail "installing the wheel"
SITE=$("$WORK/venv/bin/python" -c 'import sysconfig; print(sysconfig.get_path("platlib"))')
[[ -f "$SITE/TivraModule-stubs/__init__.pyi" && -f "$SITE/TivraModule-stubs/py.typed" ]] \
  || fail "the wheel installs no stubs"
use_module "$WORK/venv/bin/python" "$SITE/"
echo 'import TivraModule
reveal_type(TivraModule.TivraEngine().GetImageSize())' >"$WORK/typed.py"
TYPED=$(cd "$WORK" && /usr/bin/python3 -m mypy --python-executable "$WORK/venv/bin/python" --cache-dir "$WORK/mypy" \
  typed.py 2>&1 || true)
[[ "$TYPED" == *'Revealed type is "Tuple[builtins.int, builtins.int, builtins.int]"'* ]] \
  || fail "mypy does not find the installed stubs: $TYPED"

step "Debian packages (cpack from $BUILD)"
(cd "$BUILD" && cpack -G DEB -B "$WORK/deb" >"$WORK/cpack.log" 2>&1) || { cat "$WORK/cpack.log"; fail "cpack"; }
PYDEB="$WORK/deb/python3-tivramodule_${VERSION}_amd64.deb"
DEVDEB="$WORK/deb/libtivra-dev_${VERSION}_amd64.deb"
[[ -f "$PYDEB" && -f "$DEVDEB" ]] || fail "package names: $(ls "$WORK/deb")"
DEPENDS=$(dpkg-deb -f "$PYDEB" Depends)
for needed in python3-numpy python3-wxgtk4.0 fonts-dejavu-core libopencv-core libopencv-imgcodecs libwxgtk3.2 \
              libwxbase3.2 libheif1 libjxl; do
  [[ "$DEPENDS" == *"$needed"* ]] || fail "python3-tivramodule does not depend on $needed: $DEPENDS"
done
dpkg -x "$PYDEB" "$WORK/root"
dpkg -x "$DEVDEB" "$WORK/root"
DIST="$WORK/root/usr/lib/python3/dist-packages"
[[ -f "$DIST/TivraModule-stubs/__init__.pyi" ]] || fail "the package installs no stubs"
PYTHONPATH="$DIST" use_module /usr/bin/python3 "$DIST/"

step "C++ example against libtivra-dev"
cmake -S "$ROOT/examples/cpp" -B "$WORK/cpp" -DCMAKE_PREFIX_PATH="$WORK/root/usr" >"$WORK/cpp.log" 2>&1 \
  && cmake --build "$WORK/cpp" >>"$WORK/cpp.log" 2>&1 || { cat "$WORK/cpp.log"; fail "find_package(Tivra) build"; }
"$WORK/cpp/circle_demo"
export PKG_CONFIG_PATH="$WORK/root/usr/lib/$(gcc -print-multiarch)/pkgconfig"
# shellcheck disable=SC2046
g++ -std=c++17 "$ROOT/examples/cpp/circle_demo.cpp" $(pkg-config --cflags --libs tivra) -o "$WORK/pc_demo" \
  || fail "pkg-config build"
"$WORK/pc_demo" >/dev/null
echo "install routes: all passed in ${SECONDS}s"
