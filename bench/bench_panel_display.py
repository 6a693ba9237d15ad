"""Showing a 24-megapixel BGR array: TivraPanel.SetMat up to the painted window,
against the usual wxPython way (BGR to RGB, wx.Bitmap.FromBuffer, a
wx.StaticBitmap), both at scale 1 in windows of the same size, in one run.
Run under a display (xvfb-run -a)."""
import statistics
import time

import numpy as np
import wx

import TivraModule as tm

WIDTH, HEIGHT = 6000, 4000
VIEW = (1000, 700)
ROUNDS = 5


def pump():
    wx.SafeYield(None, True)


def painted(window):
    """Waits for the window's paint to reach the X server (a 1-pixel read back)."""
    window.Update()
    pump()
    bitmap = wx.Bitmap(1, 1, 24)
    memory = wx.MemoryDC(bitmap)
    memory.Blit(0, 0, 1, 1, wx.ClientDC(window), 5, 5)
    memory.SelectObject(wx.NullBitmap)


def main():
    app = wx.App(False)
    wx.Log.SetActiveTarget(wx.LogStderr())
    frame = wx.Frame(None, title="bench", size=(2 * VIEW[0] + 40, VIEW[1] + 60))
    ours_parent = wx.Panel(frame, pos=(0, 0), size=VIEW)
    theirs_parent = wx.Panel(frame, pos=(VIEW[0] + 20, 0), size=VIEW)
    frame.Show()
    while ours_parent.GetHandle() == 0:
        pump()
    panel = tm.TivraPanel(ours_parent.GetHandle(), width=VIEW[0], height=VIEW[1])
    static = wx.StaticBitmap(theirs_parent, size=VIEW)
    pump()

    rng = np.random.default_rng(7)
    images = [rng.integers(0, 256, (HEIGHT, WIDTH, 3), dtype=np.uint8) for _ in range(2)]

    def ours(image):
        start = time.perf_counter()
        panel.SetMat(image)
        painted(ours_parent)
        return time.perf_counter() - start

    def theirs(image):
        start = time.perf_counter()
        rgb = np.ascontiguousarray(image[:, :, ::-1])
        static.SetBitmap(wx.Bitmap.FromBuffer(WIDTH, HEIGHT, rgb))
        painted(theirs_parent)
        return time.perf_counter() - start

    ours(images[1]), theirs(images[1])  # warm-up: first allocations, first paint
    ours_times, theirs_times = [], []
    for i in range(ROUNDS):
        image = images[i % 2]
        ours_times.append(ours(image))
        theirs_times.append(theirs(image))
    a, b = statistics.median(ours_times), statistics.median(theirs_times)
    print(f"24 MP BGR array to painted window, median of {ROUNDS}:")
    print(f"  TivraPanel.SetMat            {a * 1000:8.1f} ms")
    print(f"  FromBuffer + wx.StaticBitmap {b * 1000:8.1f} ms")
    print(f"  ratio TivraPanel / wxPython  {a / b:8.2f}")
    del panel
    frame.Destroy()
    pump()


if __name__ == "__main__":
    main()
