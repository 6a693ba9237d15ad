"""Import-time contract: the interpreter version check with the import's traces without a
display, run against the built module in a child interpreter whose version string has been
rewritten in memory (the version text is a constant inside the python3 executable), so no
second interpreter is needed."""
import subprocess
import sys

import pytest

from wx_support import child_env


# Rewrites every copy of the interpreter's version number (e.g. "3.11.2") in the
# python3 executable's read-only memory, then imports the module.
PATCH_AND_IMPORT = r'''
import ctypes, os, sys
libc = ctypes.CDLL(None, use_errno=True)
libc.mprotect.argtypes = [ctypes.c_void_p, ctypes.c_size_t, ctypes.c_int]
version = ctypes.pythonapi.Py_GetVersion
version.restype = ctypes.c_char_p
old = version().split(b" ")[0] + b"\0"
new = sys.argv[1].encode().ljust(len(old), b"\0")
page = os.sysconf("SC_PAGE_SIZE")
for line in open("/proc/self/maps"):
    fields = line.split()
    if len(fields) < 6 or not fields[1].startswith("r") or "python3" not in fields[5]:
        continue
    start, end = (int(x, 16) for x in fields[0].split("-"))
    data = ctypes.string_at(start, end - start)
    pos = data.find(old)
    while pos >= 0:
        addr = start + pos
        base = addr - addr % page
        assert libc.mprotect(base, addr + len(old) - base, 3) == 0, os.strerror(ctypes.get_errno())
        ctypes.memmove(addr, new, len(new))
        pos = data.find(old, pos + 1)
print("VERSION", version().decode())
try:
    import TivraModule
    print("IMPORTED", TivraModule.__version__)
except ImportError as error:
    print("IMPORTERROR", error)
    print("IN_SYS_MODULES", "TivraModule" in sys.modules)
'''


@pytest.mark.parametrize("version", ["3.11.4", "3.110", "3.12.0"])
def test_only_patch_releases_import_and_others_fail_before_anything_is_created(version):
    proc = subprocess.run([sys.executable, "-c", PATCH_AND_IMPORT, version],  # without a display
                          env=child_env(PYTHONPATH=":".join(sys.path)), capture_output=True, text=True, timeout=60)
    assert proc.returncode == 0, proc.stderr
    lines, stderr = dict(line.split(" ", 1) for line in proc.stdout.splitlines()), proc.stderr
    assert lines["VERSION"].startswith(version + " ")
    if version == "3.11.4":
        assert lines["IMPORTED"] == "0.1.1" and stderr.count("[TivraModule-Debug] ") == 5
        return
    full = lines["VERSION"]
    assert lines["IMPORTERROR"] == ("Python version mismatch: module was compiled for Python 3.11, "
                                    f"but the interpreter version is incompatible: {full}.")
    assert lines["IN_SYS_MODULES"] == "False"
    assert "[TivraModule-Debug]" not in stderr
