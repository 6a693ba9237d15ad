"""Panels as wxPython windows: GetWindow before and after the panel is gone,
wxPython windows as parents, and panels in sizers and a splitter that follow
their parent's size."""
import numpy as np
import pytest
import wx

import TivraModule as tm
from wx_support import pump

PANEL_CLASSES = [tm.TivraPanel, tm.TivraROIAdvPanel]


@pytest.mark.parametrize("cls", PANEL_CLASSES)
def test_get_window_is_the_panel_until_it_is_gone(parent, cls):
    panel = cls(parent, width=200, height=100)
    window = panel.GetWindow()
    assert any(child is window for child in parent.GetChildren())
    assert window.GetHandle() == panel.GetHandle() and window.GetSize() == (200, 100)
    assert cls(panel.GetHandle(), width=50, height=40).GetWindow().GetParent() is window  # a handle parents panels
    del panel
    pump()
    with pytest.raises(RuntimeError):
        window.GetSize()
    # Destroyed by wx with its parent: the wrapper says so.
    orphan = cls(parent)
    parent.GetParent().Destroy()
    pump()
    assert orphan.GetWindow() is None and not orphan.IsOk()


def test_panels_in_sizers_and_a_splitter_follow_their_parent(app):
    frame = wx.Frame(None, title="layout test", pos=(30, 30), size=(800, 500))
    splitter = wx.SplitterWindow(frame, style=wx.SP_LIVE_UPDATE)
    left = tm.TivraROIAdvPanel(splitter)   # made before the frame is shown
    right_host = wx.Panel(splitter)
    right = tm.TivraPanel(right_host)
    right.SetMat(np.zeros((1500, 2000, 3), np.uint8))  # an image larger than the panel must not hold it large
    sizer = wx.BoxSizer(wx.VERTICAL)
    sizer.Add(right.GetWindow(), 1, wx.EXPAND | wx.ALL, 10)
    right_host.SetSizer(sizer)
    splitter.SplitVertically(left.GetWindow(), right_host, 300)
    frame.Show()
    pump(0.3)
    try:
        for size in ((900, 600), (640, 420)):
            frame.SetSize(size)
            pump(0.3)
            assert right.GetWindow().GetSize() == right_host.GetClientSize() - wx.Size(20, 20)
            assert left.GetWindow().GetSize().height == splitter.GetClientSize().height
        splitter.SetSashPosition(180)
        pump(0.3)
        assert splitter.GetSashPosition() == 180
        assert left.GetWindow().GetSize().width == 180
        assert right.GetWindow().GetSize().width == right_host.GetClientSize().width - 20
    finally:
        frame.Destroy()
        pump()
