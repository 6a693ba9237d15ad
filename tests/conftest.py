"""Shared pytest set-up: the built module is found through PYTHONPATH, which
scripts/run-tests.sh points at build/python."""
import os
import sys

_BUILD_PYTHON = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "build", "python")
if _BUILD_PYTHON not in sys.path and os.path.isdir(_BUILD_PYTHON):
    sys.path.append(_BUILD_PYTHON)
