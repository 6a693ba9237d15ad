"""Every Python block of README.md and the example in the module's docstring run as
written, each in a fresh interpreter on the test display, in a folder holding the files
the blocks read."""
import pathlib
import re
import textwrap

import cv2
import numpy as np
import pytest

import TivraModule
from wx_support import run_script

README = pathlib.Path(__file__).resolve().parents[2] / "README.md"
BLOCKS = re.findall(r"```python\n(.*?)```", README.read_text(encoding="utf-8"), re.S) + [
    textwrap.dedent(TivraModule.__doc__.split("Usage with wxPython:\n", 1)[1])]

# A main loop ends once the windows have been shown for a moment.
BRIEF_MAIN_LOOP = """
import wx
_main_loop = wx.App.MainLoop
def _brief_main_loop(app):
    wx.CallLater(300, lambda: [w.Close() for w in wx.GetTopLevelWindows()])
    return _main_loop(app)
wx.App.MainLoop = _brief_main_loop
"""
# The blocks after the first panel block go on in its window.
PANEL_WINDOW = """
import numpy as np, wx, TivraModule
app = wx.App()
frame = wx.Frame(None, size=(800, 600))
host = wx.Panel(frame)
status = wx.StaticText(host)
frame.Show()
while host.GetHandle() == 0:
    wx.Yield()
image = np.zeros((480, 640, 3), np.uint8)
"""


@pytest.mark.parametrize("block", BLOCKS, ids=["block%d" % i for i in range(len(BLOCKS) - 1)] + ["docstring"])
def test_readme_python_blocks_run_as_written(block, tmp_path):
    cv2.imwrite(str(tmp_path / "photo.jpg"), np.full((48, 64, 3), 120, np.uint8))
    cv2.imwrite(str(tmp_path / "part.png"), np.full((480, 640, 3), 90, np.uint8))
    continues_in_window = "host" in block and "host =" not in block
    proc = run_script(BRIEF_MAIN_LOOP + (PANEL_WINDOW if continues_in_window else "") + block, cwd=tmp_path)
    assert proc.returncode == 0, proc.stderr
