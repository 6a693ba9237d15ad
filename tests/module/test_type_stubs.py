"""The committed type stubs describe the module as built, and the examples type-check against them."""
import difflib
import glob
import importlib.util
import os
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
STUBS = os.path.join(ROOT, "module", "stubs")


def test_stubs_match_the_module(tmp_path):
    found = importlib.util.spec_from_file_location("make_stubs", os.path.join(ROOT, "scripts", "make_stubs.py"))
    writer = importlib.util.module_from_spec(found)
    found.loader.exec_module(writer)
    writer.main(str(tmp_path))
    committed_dir = os.path.join(STUBS, "TivraModule")
    diff = []
    for name in sorted(set(os.listdir(tmp_path)) | set(os.listdir(committed_dir))):
        fresh, committed = (os.path.join(d, name) for d in (tmp_path, committed_dir))
        read = lambda path: open(path, encoding="utf-8").read().splitlines() if os.path.exists(path) else []
        diff += difflib.unified_diff(read(committed), read(fresh), "committed/" + name, "built/" + name, lineterm="")
    assert not diff, "The type stubs differ from the module: run `make stubs` and commit module/stubs.\n" + \
        "\n".join(diff[:40])


def test_examples_type_check_against_the_stubs(tmp_path):
    examples = sorted(glob.glob(os.path.join(ROOT, "examples", "*.py")))
    result = subprocess.run(
        [sys.executable, "-m", "mypy", "--config-file", os.path.join(ROOT, "pyproject.toml"),
         "--cache-dir", str(tmp_path), *examples],
        env=dict(os.environ, MYPYPATH=STUBS), capture_output=True, text=True, cwd=ROOT)
    assert result.returncode == 0, result.stdout + result.stderr
