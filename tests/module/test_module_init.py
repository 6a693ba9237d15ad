"""Import-time contract: traces, docstring and enumerations."""
import subprocess
import sys
import textwrap

import pytest

import TivraModule as tm
from wx_support import child_env, run_script


def test_import_writes_exactly_five_traces_and_needs_no_display():
    env = child_env(PYTHONPATH=":".join(sys.path), DISPLAY="")
    proc = subprocess.run([sys.executable, "-c", "import TivraModule"], env=env,
                          capture_output=True, text=True, timeout=60)
    assert proc.returncode == 0, proc.stderr
    traces = [line for line in proc.stderr.splitlines() if line.startswith("[TivraModule-Debug] ")]
    assert traces == [
        "[TivraModule-Debug] PYBIND11_MODULE initialization started",
        "[TivraModule-Debug] Binding TivraEngine...",
        "[TivraModule-Debug] Binding TivraPanel...",
        "[TivraModule-Debug] Binding TivraROIAdvPanel...",
        "[TivraModule-Debug] PYBIND11_MODULE initialization complete",
    ]

def test_docstring_example_runs_as_written():
    doc = tm.__doc__
    assert doc.startswith("\nTivraModule - OpenCV + wxWidgets Image Panel for Python\n\n")
    example = textwrap.dedent(doc.split("Usage with wxPython:\n", 1)[1])
    # The main loop shows what the panel holds, then closes the windows to end.
    proc = run_script("""
        import wx
        run = wx.App.MainLoop

        def main_loop(app):
            def close():
                print(names["cv_panel"].GetMat().shape)
                for window in wx.GetTopLevelWindows():
                    window.Destroy()
            wx.CallLater(300, close)
            return run(app)

        wx.App.MainLoop = main_loop
        names = {}
        exec(%r, names)
    """ % example)
    assert proc.returncode == 0, proc.stderr
    assert proc.stdout.splitlines() == ["(480, 640, 3)"]


@pytest.mark.parametrize("enum_name, members", [
    ("CvDisplayMode", [("Original", 0), ("ZoomToFit", 1)]),
    ("CvROIMode", [("None", 0), ("Point", 1), ("Line", 2), ("Rectangle", 3), ("RotatedRectangle", 4),
                   ("Circle", 5), ("Annulus", 6), ("Polygon", 7), ("Mask", 10)]),
    ("GuideLineMode", [("Off", 0), ("CenterCross", 1), ("RuleOfThirds", 2), ("GoldenRatio", 3),
                       ("SafeZones", 4), ("AspectRatioMask", 5), ("DiagonalLines", 6), ("CornerMarkers", 7)]),
    ("AspectRatio", [("AR_1_1", 0), ("AR_4_3", 1), ("AR_3_2", 2), ("AR_16_9", 3), ("AR_2_39_1", 4),
                     ("AR_9_16", 5)]),
])
def test_enumerations_in_order_and_exported(enum_name, members):
    enum = getattr(tm, enum_name)
    assert [(name, int(value)) for name, value in enum.__members__.items()] == members
    for name, value in members:
        assert getattr(tm, name) is getattr(enum, name)
        assert getattr(enum, name).value == value


def test_enumeration_semantics():
    assert tm.Point is tm.CvROIMode.Point
    assert getattr(tm, "None") is getattr(tm.CvROIMode, "None")
    assert tm.Point != 1 and int(tm.Point) == 1
    assert tm.CvDisplayMode.ZoomToFit != tm.CvROIMode.Point  # both 1, different enumerations
    assert tm.Mask.value == 10
    unnamed = tm.CvROIMode(8)
    assert int(unnamed) == 8 and unnamed not in tm.CvROIMode.__members__.values()
    with pytest.raises(TypeError):
        tm.Point < tm.Line
    with pytest.raises(TypeError):
        tm.Point | tm.Line
