"""LoadImageAsync on real windows: events keep flowing while a file decodes, the
newest load wins, bad input keeps the previous image, and a panel destroyed
during a load gets no callback and does not crash."""
import os
import struct
import time
import zlib

import cv2
import numpy as np
import pytest
import wx

import TivraModule as tm
from wx_support import Shown, pump


def wait_for(condition, seconds=30):
    end = time.monotonic() + seconds
    while not condition() and time.monotonic() < end:
        pump(0.02)
    return condition()


@pytest.fixture(scope="module")
def files(tmp_path_factory):
    folder = tmp_path_factory.mktemp("async")
    rng = np.random.default_rng(5)
    paths = {"big": str(folder / "big.jpg"), "small": str(folder / "small.png")}
    cv2.imwrite(paths["big"], rng.integers(0, 255, (3000, 4000, 3), dtype=np.uint8))
    cv2.imwrite(paths["small"], rng.integers(0, 255, (48, 64, 3), dtype=np.uint8))
    return paths


def test_events_flow_during_a_load_and_the_newest_load_wins(files, shown):
    view = shown(320, 240)
    ticks, results = [], []
    timer = wx.Timer()
    timer.Bind(wx.EVT_TIMER, lambda event: ticks.append(results[:]))
    timer.Start(5)
    view.panel.LoadImageAsync(files["big"], lambda ok, info: results.append(("big", ok, info)))
    assert view.panel.IsLoading()
    assert wait_for(lambda: results)
    assert [] in ticks  # the timer fired while the file decoded
    assert results == [("big", True, tm.GetImageFileInfo(files["big"]))] and not view.panel.IsLoading()
    results.clear()
    view.panel.LoadImageAsync(files["big"], lambda ok, info: results.append(("superseded", ok)))
    view.panel.LoadImageAsync(files["small"], lambda ok, info: results.append(("small", ok)))
    assert wait_for(lambda: results)
    pump(1.5)  # long enough for the superseded decode to end too
    timer.Stop()
    assert results == [("small", True)]
    assert np.array_equal(view.panel.GetRawMat(), cv2.imread(files["small"]))


@pytest.mark.parametrize("kind", ["truncated", "directory", "fifo", "missing", "lying header"])
def test_a_failed_load_reports_false_and_keeps_the_previous_image(files, tmp_path, shown, kind):
    path = str(tmp_path / "bad.png")
    if kind == "truncated":
        open(path, "wb").write(open(files["small"], "rb").read()[:100])
    elif kind == "directory":
        os.mkdir(path)
    elif kind == "fifo":
        os.mkfifo(path)
    elif kind == "lying header":  # a PNG declaring 100000 x 100000 pixels
        chunk = b"IHDR" + struct.pack(">II", 100000, 100000) + bytes([8, 2, 0, 0, 0])
        open(path, "wb").write(b"\x89PNG\r\n\x1a\n\0\0\0\x0d" + chunk + struct.pack(">I", zlib.crc32(chunk)))
    view = shown(200, 150)
    assert view.panel.LoadImage(files["small"])
    results = []
    view.panel.LoadImageAsync(path, lambda ok, info: results.append((ok, info["format"])))
    assert wait_for(lambda: results)
    assert results == [(False, "PNG")] and not view.panel.IsLoading()
    assert np.array_equal(view.panel.GetRawMat(), cv2.imread(files["small"]))


@pytest.mark.parametrize("how", ["panel dropped", "frame destroyed", "frame destroyed, then panel dropped"])
def test_destroying_the_panel_during_a_load_is_safe(files, how):
    view = Shown(200, 150)
    results = []
    view.panel.LoadImageAsync(files["big"], lambda ok, info: results.append(ok))
    if "frame" in how:
        view.frame.Destroy()
    if "dropped" in how:
        del view.panel
    pump(1.5)
    assert results == []
    if "dropped" not in how:
        with pytest.raises(RuntimeError):
            view.panel.LoadImageAsync(files["small"], print)
    if how == "panel dropped":
        view.frame.Destroy()
