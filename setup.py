"""Builds the extension through CMake, the way pybind11's cmake_example does.

The module and its type stubs are laid out by the project's own install rules
(`cmake --install --component python`), so the wheel holds what the Debian
package holds. TIVRA_CMAKE_BUILD_DIR names an already configured CMake tree to
reuse instead of configuring a fresh one.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent


def project_version():
    text = (ROOT / "CMakeLists.txt").read_text(encoding="utf-8")
    return re.search(r"project\(TivraModule VERSION ([0-9.]+)", text).group(1)


class CMakeExtension(Extension):
    def __init__(self, name):
        super().__init__(name, sources=[])


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        build_dir = os.environ.get("TIVRA_CMAKE_BUILD_DIR") or self.configure()
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL") or str(os.cpu_count() or 1)
        subprocess.run(["cmake", "--build", build_dir, "--target", "TivraModule", "-j", jobs], check=True)
        target_dir = Path(self.get_ext_fullpath(ext.name)).resolve().parent
        with tempfile.TemporaryDirectory() as staging:
            subprocess.run(["cmake", "--install", build_dir, "--component", "python", "--strip",
                            "--prefix", staging], check=True, stdout=subprocess.DEVNULL)
            installed = next(Path(staging).rglob("TivraModule*.so")).parent
            shutil.copytree(installed, target_dir, dirs_exist_ok=True)

    def configure(self):
        build_dir = Path(self.build_temp).resolve() / "cmake"
        subprocess.run(["cmake", "-S", str(ROOT), "-B", str(build_dir), "-DCMAKE_BUILD_TYPE=Release",
                        f"-DPython_EXECUTABLE={sys.executable}",
                        "-DTIVRA_BUILD_TESTS=OFF", "-DTIVRA_BUILD_BENCH=OFF"], check=True)
        return str(build_dir)


def reused_tree_options():
    """With a reused CMake tree, setuptools' own files go inside it, not into the sources."""
    build_dir = os.environ.get("TIVRA_CMAKE_BUILD_DIR")
    if not build_dir:
        return {}
    base = os.path.join(build_dir, "setuptools")
    os.makedirs(base, exist_ok=True)
    return {"build": {"build_base": base}, "egg_info": {"egg_base": base}}


setup(
    version=project_version(),
    options=reused_tree_options(),
    packages=[],
    ext_modules=[CMakeExtension("TivraModule")],
    cmdclass={"build_ext": CMakeBuild},
)
