"""TivraPanel inside real wxPython windows: construction, ids, placement,
handles, lifetime with the parent window, and the application's main loop."""
import concurrent.futures
import ctypes
import gc
import weakref

import cv2
import numpy as np
import pytest
import wx

import TivraModule as tm
from wx_support import hidden_frames, pump, run_script, screen_region


@pytest.mark.parametrize("bad, error, message", [
    (lambda: 0, RuntimeError, r"^parent_handle cannot be 0\. Pass the handle of a wxPython window\.$"),
    (lambda: 0x7FFFFFF0, RuntimeError, "is not the handle of a window"),
    (object, TypeError, ""), (lambda: "frame", TypeError, ""), (wx.Pen, TypeError, ""),
])
@pytest.mark.parametrize("panel_class", [tm.TivraPanel, tm.TivraROIAdvPanel])
def test_bad_parents_raise_and_create_nothing(parent, panel_class, bad, error, message):
    with pytest.raises(error, match=message):
        panel_class(bad())
    assert hidden_frames() == []
    assert len(parent.GetChildren()) == 0


@pytest.mark.parametrize("panel_class", [tm.TivraPanel, tm.TivraROIAdvPanel])
def test_placement_defaults_clamping_and_set_size(parent, panel_class):
    default = panel_class(parent.GetHandle(), width=0, height=0)
    placed = panel_class(parent.GetHandle(), x=-5, y=-7, width=120, height=90)
    assert default.GetWindow().GetSize() == (400, 300)
    assert placed.GetWindow().GetRect() == wx.Rect(0, 0, 120, 90)
    panel = panel_class(parent.GetHandle(), -1, 5, 6, 100, 80)
    view = panel.GetWindow()
    assert view.GetRect() == wx.Rect(5, 6, 100, 80)
    for size, kept in [((150, 120), (150, 120)), ((-1, 60), (150, 60)), ((-40, -3), (150, 60))]:
        panel.SetSize(*size)
        assert view.GetRect() == wx.Rect(5, 6, *kept), size


# Each runs in a fresh interpreter (with a shown frame and parent when in_window):
# (in_window, script, the lines it prints).
FRESH_INTERPRETER = {
    "construction without a wx.App fails and creates nothing": (False, """
        import wx, TivraModule as tm
        try:
            tm.TivraPanel(1234)
        except RuntimeError as e:
            print(e)
        print(len(wx.GetTopLevelWindows()))
    """, ["TivraModule on macOS requires 'import wx' before 'import TivraModule'.", "0"]),
    # The hidden frame takes an id after its first panel: 10001, then 10004.
    "ids, the hidden frame and its renewal": (True, """
        first = tm.TivraPanel(parent.GetHandle())
        print(first.GetWindow().GetId(), len(hidden_frames()))
        second = tm.TivraPanel(parent.GetHandle())
        print(second.GetWindow().GetId())
        fixed = tm.TivraPanel(parent.GetHandle(), id=77)
        print(fixed.GetWindow().GetId())
        del first, second, fixed
        pump()
        print(len(hidden_frames()), len(parent.GetChildren()))
        third = tm.TivraPanel(parent.GetHandle())
        print(third.GetWindow().GetId(), len(hidden_frames()))
        fourth = tm.TivraPanel(parent.GetHandle())
        print(fourth.GetWindow().GetId())
    """, ["10000 1", "10002", "77", "0 0", "10003 1", "10005"]),
    "a destroyed parent leaves a safe empty wrapper": (True, """
        panel = tm.TivraPanel(parent.GetHandle())
        panel.SetMat(np.zeros((10, 10, 3), np.uint8))
        panel.SetGuideLineMode(tm.CenterCross)
        print(panel.IsOk(), len(hidden_frames()))
        parent.Destroy()
        pump()
        print(panel.IsOk(), panel.GetHandle(), panel.GetMat().shape, panel.GetGuideLineMode(),
              panel.GetGuideLineVisible(), panel.GetAspectRatio(), panel.LoadImage("x.png"))
        panel.SetMat(np.zeros((5, 5), np.uint8)); panel.SetSize(10, 10); panel.Refresh()
        panel.SetGuideLineColor(1, 2, 3); panel.SetCanvasBgColor(1, 2, 3); panel.SetMode(1)
        print(len(hidden_frames()))
        del panel
        again = wx.Panel(frame)
        pump()
        replacement = tm.TivraPanel(again.GetHandle())
        print(replacement.IsOk(), len(hidden_frames()))
    """, ["True 1", "False 0 (0,) GuideLineMode.Off False AspectRatio.AR_16_9 False", "0", "True 1"]),
    "a panel outliving its app is let go without a crash": (False, """
        import wx, TivraModule as tm
        app = wx.App(False)
        frame = wx.Frame(None)
        frame.Show()
        panel = tm.TivraROIAdvPanel(frame.GetHandle())
        del app
        del panel
        print("let go")
    """, ["let go"]),
    "closing the last frame ends the main loop": (True, """
        other_frame, other_parent = shown_parent(pos=(50, 50))
        panels = [tm.TivraPanel(parent.GetHandle()), tm.TivraPanel(other_parent.GetHandle())]
        panels[0].SetMat(np.zeros((20, 20, 3), np.uint8))
        wx.CallLater(200, frame.Close)
        wx.CallLater(400, other_frame.Close)
        app.MainLoop()
        print("loop ended", [p.IsOk() for p in panels])
    """, ["loop ended [False, False]"]),
    "the last reference dropped on another thread": (True, """
        import threading
        holder = [tm.TivraPanel(parent.GetHandle())]
        thread = threading.Thread(target=holder.clear)
        thread.start(); thread.join()
        print(len(parent.GetChildren()))
        pump()
        print(len(parent.GetChildren()), len(hidden_frames()))
    """, ["1", "0 0"]),
    "dialogs survive the last panel after the frame is replaced": (True, """
        panels = [tm.TivraPanel(parent.GetHandle())]
        second_frame, second_parent = shown_parent()
        panels.append(tm.TivraPanel(second_parent.GetHandle()))
        frame.Destroy()
        pump()
        print(app.GetTopWindow() is second_frame)
        dialog = wx.Dialog(app.GetTopWindow(), title="question")
        def drop_panels_then_answer():
            panels.clear()
            pump()
            dialog.EndModal(wx.ID_OK)
        wx.CallLater(100, drop_panels_then_answer)
        print(dialog.ShowModal() == wx.ID_OK)
        dialog.Destroy()
        pump()
        print("end")
    """, ["True", "True", "end"]),
}


@pytest.mark.parametrize("in_window, script, printed", FRESH_INTERPRETER.values(), ids=list(FRESH_INTERPRETER))
def test_lifetimes_in_a_fresh_interpreter(in_window, script, printed):
    proc = run_script(script, in_window=in_window)
    assert proc.returncode == 0, proc.stderr
    assert proc.stdout.splitlines() == printed


def test_other_threads_get_an_error_instead_of_touching_windows(parent):
    panel = tm.TivraPanel(parent.GetHandle())
    with concurrent.futures.ThreadPoolExecutor(1) as other_thread:
        calls = [other_thread.submit(call) for call in (lambda: panel.SetMat(np.zeros((4, 4), np.uint8)),
                                                         panel.GetMat, lambda: tm.TivraPanel(parent.GetHandle()))]
    errors = [call.exception() for call in calls]
    assert all(isinstance(e, RuntimeError) and "GUI thread" in str(e) for e in errors), errors
    assert len(parent.GetChildren()) == 1 and panel.GetMat().shape == (0,)


def test_windows_around_a_panel_paint_as_without_it(app):
    frame = wx.Frame(None, size=(600, 400))
    status = frame.CreateStatusBar()
    splitter = wx.SplitterWindow(frame)
    host, sibling = wx.Panel(splitter), wx.Panel(splitter)
    splitter.SplitVertically(host, sibling, 300)
    frame.Show()
    pump(0.3)
    theme = screen_region(sibling, 1, 1, (100, 100))[0, 0].tolist()
    panel = tm.TivraROIAdvPanel(host.GetHandle(), width=280, height=200)
    looks = []
    for change in (lambda: None, lambda: frame.SetSize((700, 500)), lambda: splitter.SetSashPosition(200)):
        change()
        pump(0.3)
        looks += [screen_region(window, 1, 1, point)[0, 0].tolist() for window, point in (
            (sibling, (50, 50)), (sibling, (sibling.GetClientSize().x - 5, 300)),
            (status, (status.GetClientSize().x - 30, 5)))]
    assert panel.IsOk() and theme != [0, 0, 0]
    assert looks == [theme] * len(looks)
    frame.Destroy()
    pump(0.05)


@pytest.mark.parametrize("loader", ["TivraEngine", "TivraPanel", "TivraROIAdvPanel"])
def test_unreadable_files_give_false_and_keep_the_image(parent, tmp_path, loader):
    image = np.full((20, 30, 3), 90, np.uint8)
    target = tm.TivraEngine() if loader == "TivraEngine" else getattr(tm, loader)(parent.GetHandle())
    png = cv2.imencode(".png", np.random.default_rng(0).integers(0, 256, (64, 64, 3), np.uint8))[1].tobytes()
    (tmp_path / "folder.png").mkdir()
    files = {"missing.png": None, "empty.png": b"", "noise.png": bytes(range(256)) * 4, "half.png": png[:2000],
             "junk.heic": b"junk" * 30, "junk.jxl": b"junk" * 30, "folder.png": None}
    if loader == "TivraPanel":  # read unchanged, a 32-bit integer image the panel cannot show
        files["int32.tiff"] = cv2.imencode(".tiff", np.full((8, 8), 7, np.int32))[1].tobytes()
    for name, content in files.items():
        if content is not None:
            (tmp_path / name).write_bytes(content)
        target.SetMat(image)
        flags = (tm.IMREAD_UNCHANGED,) if loader == "TivraPanel" else ()
        assert target.LoadImage(str(tmp_path / name), *flags) is False, name
        np.testing.assert_array_equal(target.GetMat(), image, err_msg=name)


class _MallInfo2(ctypes.Structure):
    _fields_ = [(name, ctypes.c_size_t) for name in
                "arena ordblks smblks hblks hblkhd usmblks fsmblks uordblks fordblks keepcost".split()]


def heap_in_use():
    """Bytes the C heap has handed out (glibc), whether or not freed pages went back to the system."""
    mallinfo2 = ctypes.CDLL(None).mallinfo2
    mallinfo2.restype = _MallInfo2
    info = mallinfo2()
    return info.uordblks + info.hblkhd


def test_dropped_panels_whose_callbacks_use_them_free_windows_and_memory(parent):
    def panel_in_a_cycle():
        panel = tm.TivraROIAdvPanel(parent.GetHandle(), width=120, height=90)
        panel.SetMat(np.zeros((600, 800, 3), np.uint8))

        def use_panel(*args):
            return panel.GetPolygonPoints()

        for setter in (panel.SetOnCropCallback, panel.SetOnRightClickCallback, panel.SetOnLeftDClickCallback,
                       panel.SetOnRightDClickCallback, panel.SetOnMouseMoveCallback):
            setter(use_panel)
        return weakref.ref(panel)

    gc.collect()
    before = heap_in_use()
    dropped = [panel_in_a_cycle() for _ in range(60)]
    gc.collect()
    pump(0.1)
    assert [ref for ref in dropped if ref() is not None] == []
    assert len(parent.GetChildren()) == 0
    assert heap_in_use() - before < 20 * 600 * 800 * 3, "60 panels of 1.4 MB each were freed"
