"""TivraModule viewer: open an image, zoom and pan over it, draw and edit a region
of interest with the mouse, and read the ROI's geometry as you edit it.

    python3 examples/viewer.py [IMAGE]            # a window on your display
    python3 examples/viewer.py --screenshot OUT   # draw one ROI, save a PNG, exit

Without an IMAGE the viewer shows a test chart of its own. With --screenshot it
needs no user: run it under `xvfb-run -a` where there is no display.
"""
import argparse
import os
import sys
import time

import numpy as np
import wx

import TivraModule as tm

TITLE = "TivraModule Viewer"

# (menu label, ROI kind, toolbar help)
ROI_KINDS = [
    ("&Point", tm.CvROIMode.Point, "Point: click to place"),
    ("&Line", tm.CvROIMode.Line, "Line: drag from start to end"),
    ("&Rectangle", tm.CvROIMode.Rectangle, "Rectangle: drag corner to corner"),
    ("Rotated rec&tangle", tm.CvROIMode.RotatedRectangle, "Rotated rectangle: drag, then turn by the handles"),
    ("&Circle", tm.CvROIMode.Circle, "Circle: drag from the centre to the rim"),
    ("&Annulus", tm.CvROIMode.Annulus, "Annulus: drag from the centre; edit rims and angle edges"),
    ("Pol&ygon", tm.CvROIMode.Polygon, "Polygon: click the vertices, double-click to close"),
]

GUIDE_MODES = [
    ("&Off", tm.GuideLineMode.Off),
    ("Centre &cross", tm.GuideLineMode.CenterCross),
    ("Rule of &thirds", tm.GuideLineMode.RuleOfThirds),
    ("&Golden ratio", tm.GuideLineMode.GoldenRatio),
    ("&Safe zones", tm.GuideLineMode.SafeZones),
    ("&Aspect-ratio mask", tm.GuideLineMode.AspectRatioMask),
    ("&Diagonals", tm.GuideLineMode.DiagonalLines),
    ("Corner &markers", tm.GuideLineMode.CornerMarkers),
]

ASPECT_RATIOS = [
    ("1:1", tm.AspectRatio.AR_1_1),
    ("4:3", tm.AspectRatio.AR_4_3),
    ("3:2", tm.AspectRatio.AR_3_2),
    ("16:9", tm.AspectRatio.AR_16_9),
    ("2.39:1", tm.AspectRatio.AR_2_39_1),
    ("9:16", tm.AspectRatio.AR_9_16),
]

# Colours (B, G, R) of ROIs kept as overlays, in turn.
OVERLAY_COLOURS = [(0, 0, 255), (255, 128, 0), (255, 0, 255), (0, 200, 255), (0, 160, 0)]

GESTURES = """Editing with the left mouse button:
  - Drag on an empty part of the image to draw the chosen kind.
  - Drag an edge, rim, end point or vertex to resize it; drag the
    centre (or the inside of a rectangle) to move it.
  - Rotated rectangle: drag one of the two dots on its edges to turn
    it; hold Shift to snap to 45 degrees.
  - Annulus: drag its radial edges to change the start and end angle.
  - Polygon: click each vertex; close it with a double click (which
    places the last vertex), a click on the first vertex, or a second
    quick click on the last one.
Navigation: Ctrl+wheel zooms, the wheel scrolls, the middle button pans,
the right button opens the panel's menu."""

IMAGE_WILDCARD = ("Images|*.png;*.jpg;*.jpeg;*.bmp;*.tif;*.tiff;*.webp;*.heic;*.heif;*.jxl;"
                  "*.PNG;*.JPG;*.JPEG;*.BMP;*.TIF;*.TIFF;*.WEBP;*.HEIC;*.HEIF;*.JXL|All files|*")


def make_test_chart(width=1280, height=800):
    """A BGR test chart: colour bars, a gray ramp, a checkerboard, concentric
    rings and a 100-pixel grid, so that zoom, colours and ROIs are easy to judge."""
    chart = np.full((height, width, 3), 96, np.uint8)
    bars = [(255, 255, 255), (0, 255, 255), (255, 255, 0), (0, 255, 0),
            (255, 0, 255), (0, 0, 255), (255, 0, 0), (16, 16, 16)]
    bar_w = width // len(bars)
    for i, colour in enumerate(bars):
        chart[40:260, i * bar_w:(i + 1) * bar_w] = colour
    ramp = np.linspace(0, 255, width).astype(np.uint8)
    chart[280:360, :] = ramp[None, :, None]
    y, x = np.mgrid[0:height - 400, 0:width // 2]
    chart[400:, :width // 2] = np.where(((x // 40) + (y // 40)) % 2 == 0, 230, 40)[:, :, None]
    cy, cx = 400 + (height - 400) // 2, width * 3 // 4
    y, x = np.mgrid[400:height, width // 2:width]
    radius = np.hypot(x - cx, y - cy)
    rings = ((radius // 12) % 2 == 0) & (radius < (height - 400) // 2 - 10)
    chart[400:, width // 2:][rings] = (40, 140, 230)
    chart[::100, :] = (200, 200, 200)
    chart[:, ::100] = (200, 200, 200)
    return chart


def kind_icon(kind, size=24):
    """A small drawn glyph for an ROI kind (the toolbar has no stock art for them)."""
    bitmap = wx.Bitmap(size, size, 32)
    bitmap.UseAlpha()
    dc = wx.MemoryDC(bitmap)
    dc.SetBackground(wx.Brush(wx.Colour(0, 0, 0, 0)))
    dc.Clear()
    gc = wx.GraphicsContext.Create(dc)
    gc.SetPen(wx.Pen(wx.Colour(20, 120, 40), 2))
    gc.SetBrush(wx.TRANSPARENT_BRUSH)
    m, s = 4, size - 8
    if kind == tm.CvROIMode.Point:
        gc.StrokeLine(m, m, m + s, m + s)
        gc.StrokeLine(m, m + s, m + s, m)
    elif kind == tm.CvROIMode.Line:
        gc.StrokeLine(m, m + s, m + s, m)
    elif kind == tm.CvROIMode.Rectangle:
        gc.DrawRectangle(m, m + 3, s, s - 6)
    elif kind == tm.CvROIMode.RotatedRectangle:
        gc.StrokeLines([(m + 6, m), (m + s, m + 6), (m + s - 6, m + s), (m, m + s - 6), (m + 6, m)])
    elif kind == tm.CvROIMode.Circle:
        gc.DrawEllipse(m, m, s, s)
    elif kind == tm.CvROIMode.Annulus:
        gc.DrawEllipse(m, m, s, s)
        gc.DrawEllipse(m + 5, m + 5, s - 10, s - 10)
    else:
        gc.StrokeLines([(m, m + 4), (m + s, m), (m + s - 4, m + s), (m + 3, m + s - 5), (m, m + 4)])
    del gc
    dc.SelectObject(wx.NullBitmap)
    return bitmap


def describe_roi(panel):
    """The current ROI's geometry as lines of text."""
    kind = tm.CvROIMode(panel.GetROIMode())
    x, y, w, h = panel.GetRect()
    names = {k: label.replace("&", "") for label, k, _ in ROI_KINDS}
    lines = ["ROI: %s" % names.get(kind, "none")]
    if kind == tm.CvROIMode.Point:
        px, py = panel.GetLeftMouseDownPoint()
        lines.append("point (%.1f, %.1f)" % (px, py))
    elif kind == tm.CvROIMode.Line:
        (x0, y0), (x1, y1) = panel.GetLeftMouseDownPoint(), panel.GetLeftMouseUpPoint()
        lines += ["from (%.1f, %.1f)" % (x0, y0), "to   (%.1f, %.1f)" % (x1, y1),
                  "length %.1f" % np.hypot(x1 - x0, y1 - y0)]
    elif kind in (tm.CvROIMode.Rectangle, tm.CvROIMode.RotatedRectangle):
        lines.append("rect x %d  y %d  w %d  h %d" % (x, y, w, h))
        if kind == tm.CvROIMode.RotatedRectangle:
            lines.append("angle %.1f deg" % panel.GetRotateAngle())
            lines += ["corner (%.1f, %.1f)" % p for p in panel.GetPolygonPoints()]
    elif kind in (tm.CvROIMode.Circle, tm.CvROIMode.Annulus):
        lines.append("centre (%d, %d)" % (x + w // 2, y + h // 2))  # GetRect is the bounding square
        lines.append("radius %.1f" % panel.GetOuterRadius())
        if kind == tm.CvROIMode.Annulus:
            lines.append("inner radius %.1f" % panel.GetInnerRadius())
            lines.append("angles %.1f to %.1f deg" % (panel.GetStartAngle(), panel.GetEndAngle()))
    elif kind == tm.CvROIMode.Polygon:
        points = panel.GetPolygonPoints()
        lines.append("bounds x %d  y %d  w %d  h %d" % (x, y, w, h))
        lines.append("%d vertices" % len(points))
        lines += ["  (%.1f, %.1f)" % p for p in points[:24]]
        if len(points) > 24:
            lines.append("  ...")
    return lines


def roi_as_overlay(panel):
    """(mode, points, angle) of the current ROI in AppendOverlay's formats, or None."""
    kind = tm.CvROIMode(panel.GetROIMode())
    x, y, w, h = panel.GetRect()
    if kind == tm.CvROIMode.Point and (x or y):
        return kind, [panel.GetLeftMouseDownPoint()], 0.0
    if kind == tm.CvROIMode.Line and (w or h):
        return kind, [panel.GetLeftMouseDownPoint(), panel.GetLeftMouseUpPoint()], 0.0
    if kind in (tm.CvROIMode.Rectangle, tm.CvROIMode.RotatedRectangle) and w > 0 and h > 0:
        return kind, [(x, y), (w, h)], panel.GetRotateAngle()
    if kind == tm.CvROIMode.Circle and w > 0 and h > 0:
        return kind, [(x + w / 2, y + h / 2), (panel.GetOuterRadius(), 0)], 0.0
    if kind == tm.CvROIMode.Annulus and w > 0 and h > 0:
        return kind, [(x + w / 2, y + h / 2), (panel.GetOuterRadius(), 0), (panel.GetInnerRadius(), 0),
                      (panel.GetStartAngle(), panel.GetEndAngle())], 0.0
    if kind == tm.CvROIMode.Polygon and len(panel.GetPolygonPoints()) >= 3:
        return kind, panel.GetPolygonPoints(), 0.0
    return None


def pixel_text(image, zoom, x, y):
    """Status text for the source pixel (x, y): size, zoom, RGB value and position."""
    if image is None or not (0 <= x < image.shape[1] and 0 <= y < image.shape[0]):
        return ""
    b, g, r = image[y, x][:3]
    return "%dx%d  %.2fX  (%d,%d)  RGB %d,%d,%d" % (image.shape[1], image.shape[0], zoom, x, y, r, g, b)


class ViewerFrame(wx.Frame):
    def __init__(self, path=None, size=(1100, 720), headless=False):
        super().__init__(None, title=TITLE, size=size)
        self.headless = headless     # no dialogs: errors go to stderr only
        self.image = None            # the shown image (BGR), for the status bar
        self.overlay_count = 0
        self.ids = {}
        self.CreateStatusBar(2)
        self.SetStatusWidths([-3, -1])
        self._build_menus()
        self._build_toolbar()

        body = wx.Panel(self)
        self.host = wx.Panel(body, style=wx.BORDER_SUNKEN)
        self.readout = wx.TextCtrl(body, size=(260, -1), style=wx.TE_MULTILINE | wx.TE_READONLY | wx.TE_DONTWRAP)
        self.readout.SetFont(wx.Font(wx.FontInfo(9).Family(wx.FONTFAMILY_TELETYPE)))
        sizer = wx.BoxSizer(wx.HORIZONTAL)
        sizer.Add(self.host, 1, wx.EXPAND)
        sizer.Add(self.readout, 0, wx.EXPAND | wx.LEFT, 4)
        body.SetSizer(sizer)
        self.Show()
        self.Layout()

        w, h = self.host.GetClientSize()
        self.panel = tm.TivraROIAdvPanel(self.host.GetHandle(), -1, 0, 0, max(w, 1), max(h, 1))
        self.host.Bind(wx.EVT_SIZE, self._on_host_size)
        self.panel.SetFuncEnable(True, True, True)
        self.panel.SetMenuROIEnable()
        self.panel.SetCenterImageEnable(True)
        self.panel.SetCanvasBgColor(64, 64, 64)
        self.panel.SetOnCropCallback(self._on_crop)
        self.panel.SetOnMouseMoveCallback(self._on_mouse_move)
        self.panel.SetOnRightDClickCallback(lambda point: self.zoom("fit"))
        self.set_roi_kind(tm.CvROIMode.Rectangle)
        if path:
            self.open_image(path)
        else:
            self.show_image(make_test_chart(), "built-in test chart")

    # ------------------------------------------------------------ building

    def _item(self, menu, key, label, handler, kind=wx.ITEM_NORMAL, help=""):
        item = menu.Append(wx.ID_ANY, label, help, kind)
        self.ids[key] = item.GetId()
        self.Bind(wx.EVT_MENU, handler, item)
        return item

    def _build_menus(self):
        bar = wx.MenuBar()
        file_menu = wx.Menu()
        self._item(file_menu, "open", "&Open...\tCtrl+O", lambda e: self.choose_file())
        self._item(file_menu, "chart", "&Test chart", lambda e: self.show_image(make_test_chart(),
                                                                                  "built-in test chart"))
        self._item(file_menu, "screenshot", "Save &screenshot...\tCtrl+S", lambda e: self.choose_screenshot())
        file_menu.AppendSeparator()
        self._item(file_menu, "quit", "&Quit\tCtrl+Q", lambda e: self.Close())
        bar.Append(file_menu, "&File")

        view = wx.Menu()
        self._item(view, "fit", "Zoom to &fit\tCtrl+0", lambda e: self.zoom("fit"))
        self._item(view, "1:1", "&Actual size (1:1)\tCtrl+1", lambda e: self.zoom("1:1"))
        self._item(view, "in", "Zoom &in\tCtrl++", lambda e: self.zoom("in"))
        self._item(view, "out", "Zoom &out\tCtrl+-", lambda e: self.zoom("out"))
        view.AppendSeparator()
        self.overlay_item = self._item(view, "overlays", "Show &overlays\tCtrl+D", self._on_overlays,
                                       wx.ITEM_CHECK)
        bar.Append(view, "&View")

        roi = wx.Menu()
        for label, kind, help_text in ROI_KINDS:
            self._item(roi, kind, label, lambda e, k=kind: self.set_roi_kind(k), wx.ITEM_RADIO, help_text)
        roi.AppendSeparator()
        self._item(roi, "keep", "&Keep ROI as overlay\tCtrl+K", lambda e: self.keep_roi())
        self._item(roi, "clear-overlays", "Clear o&verlays", lambda e: self.clear_overlays())
        self._item(roi, "clear", "C&lear ROI\tEsc", lambda e: self.clear_roi())
        bar.Append(roi, "&ROI")

        guides = wx.Menu()
        for label, mode in GUIDE_MODES:
            self._item(guides, mode, label, lambda e, m=mode: self.panel.SetGuideLineMode(m), wx.ITEM_RADIO)
        ratios = wx.Menu()
        for label, ratio in ASPECT_RATIOS:
            item = self._item(ratios, ratio, label, lambda e, r=ratio: self.panel.SetAspectRatio(r),
                              wx.ITEM_RADIO)
            item.Check(ratio == tm.AspectRatio.AR_16_9)
        guides.AppendSeparator()
        guides.AppendSubMenu(ratios, "Aspect &ratio")
        bar.Append(guides, "&Guides")

        help_menu = wx.Menu()
        self._item(help_menu, "gestures", "&Editing gestures", lambda e: wx.MessageBox(GESTURES, TITLE))
        bar.Append(help_menu, "&Help")
        self.SetMenuBar(bar)

    def _build_toolbar(self):
        tools = self.CreateToolBar(wx.TB_HORIZONTAL | wx.TB_FLAT)
        size = (24, 24)
        art = wx.ArtProvider.GetBitmap
        tools.SetToolBitmapSize(size)
        tools.AddTool(self.ids["open"], "Open", art(wx.ART_FILE_OPEN, wx.ART_TOOLBAR, size), "Open an image")
        tools.AddSeparator()
        for label, kind, help_text in ROI_KINDS:
            tools.AddRadioTool(self.ids[kind], label.replace("&", ""), kind_icon(kind), shortHelp=help_text)
        tools.AddSeparator()
        for key, art_id, text in (("in", wx.ART_PLUS, "Zoom in"), ("out", wx.ART_MINUS, "Zoom out"),
                                  ("fit", wx.ART_FULL_SCREEN, "Zoom to fit"), ("1:1", wx.ART_GO_HOME, "1:1")):
            tools.AddTool(self.ids[key], text, art(art_id, wx.ART_TOOLBAR, size), text)
        tools.Realize()

    # ------------------------------------------------------------ actions

    def _on_host_size(self, event):
        w, h = event.GetSize()
        self.panel.SetSize(max(w, 1), max(h, 1))
        event.Skip()

    def show_image(self, bgr, name):
        self.panel.SetMat(bgr)
        self.image = self.panel.GetMat()
        self._after_load(name)

    def open_image(self, path):
        if not self.panel.LoadImage(path):
            self.report_error("Cannot read the image %s" % path)
            return False
        self.image = self.panel.GetMat()
        info = tm.GetImageFileInfo(path)
        print("%s: %d x %d px, %d channels, %d bits" % (path, info.get("width", 0), info.get("height", 0),
                                                        info.get("channels", 0), info.get("bit_depth", 0)))
        self._after_load(os.path.basename(path))
        return True

    def _after_load(self, name):
        self.SetTitle("%s - %s" % (name, TITLE))
        # Loading a file switches the overlays off; the menu follows the panel.
        self.overlay_item.Check(self.panel.GetDisplayOverlay())
        self.update_readout()
        self.update_zoom_field()

    def report_error(self, message):
        print(message, file=sys.stderr)
        if not self.headless:
            wx.MessageBox(message, TITLE, wx.OK | wx.ICON_ERROR, self)

    def choose_file(self):
        with wx.FileDialog(self, "Open image", wildcard=IMAGE_WILDCARD,
                           style=wx.FD_OPEN | wx.FD_FILE_MUST_EXIST) as dialog:
            if dialog.ShowModal() == wx.ID_OK:
                self.open_image(dialog.GetPath())

    def choose_screenshot(self):
        with wx.FileDialog(self, "Save screenshot", defaultFile="viewer.png", wildcard="PNG|*.png",
                           style=wx.FD_SAVE | wx.FD_OVERWRITE_PROMPT) as dialog:
            if dialog.ShowModal() == wx.ID_OK:
                save_screenshot(self, dialog.GetPath())

    def zoom(self, how):
        {"fit": self.panel.ZoomToFit, "1:1": self.panel.SetOriginal, "in": self.panel.ZoomIn,
         "out": self.panel.ZoomOut}[how]()
        self.update_zoom_field()

    def set_roi_kind(self, kind):
        self.panel.SetROIMode(kind)
        self.GetMenuBar().Check(self.ids[kind], True)
        self.GetToolBar().ToggleTool(self.ids[kind], True)
        self.update_readout()

    def set_roi(self, kind, points, angle=0.0):
        """Makes (kind, points) the ROI being edited, as a user's drawing would."""
        self.set_roi_kind(kind)
        self.panel.SetEditingROI(int(kind), points, angle)
        self.update_readout()

    def _on_overlays(self, event):
        self.panel.SetDisplayOverlay(event.IsChecked())

    def keep_roi(self):
        overlay = roi_as_overlay(self.panel)
        if overlay is None:
            return
        kind, points, angle = overlay
        colour = OVERLAY_COLOURS[self.overlay_count % len(OVERLAY_COLOURS)]
        self.panel.AppendOverlay(int(kind), points, colour, 2, angle)
        self.overlay_count += 1
        self.panel.SetDisplayOverlay(True)
        self.overlay_item.Check(True)

    def clear_overlays(self):
        self.panel.ClearOverlay()
        self.overlay_count = 0
        self.panel.Refresh()

    def clear_roi(self):
        self.panel.HideROI()
        self.update_readout()

    # ------------------------------------------------------------ panel callbacks

    def _on_crop(self, rect):
        # The kind may have been changed from the panel's own menu.
        kind = tm.CvROIMode(self.panel.GetROIMode())
        if kind in self.ids and not self.GetMenuBar().IsChecked(self.ids[kind]):
            self.GetMenuBar().Check(self.ids[kind], True)
            self.GetToolBar().ToggleTool(self.ids[kind], True)
        self.update_readout()
        self.update_zoom_field()

    def _on_mouse_move(self, point):
        self.SetStatusText(pixel_text(self.image, self.panel.GetZoomFactor(), int(point[0]), int(point[1])), 0)

    def update_readout(self):
        self.readout.ChangeValue("\n".join(describe_roi(self.panel)))

    def update_zoom_field(self):
        self.SetStatusText("zoom %.0f %%" % (self.panel.GetZoomFactor() * 100), 1)


def save_screenshot(frame, path):
    """Writes what the frame shows on screen (read back from the X server) as a PNG."""
    frame.Raise()
    frame.Refresh()
    frame.Update()
    settle(0.3)
    x, y = frame.GetScreenPosition()
    w, h = frame.GetSize()
    try:
        import gi
        gi.require_version("Gdk", "3.0")
        from gi.repository import Gdk
        shot = Gdk.pixbuf_get_from_window(Gdk.get_default_root_window(), x, y, w, h)
        shot.savev(path, "png", [], [])
    except (ImportError, ValueError, AttributeError):
        bitmap = wx.Bitmap(w, h)
        memory = wx.MemoryDC(bitmap)
        memory.Blit(0, 0, w, h, wx.ScreenDC(), x, y)
        memory.SelectObject(wx.NullBitmap)
        bitmap.SaveFile(path, wx.BITMAP_TYPE_PNG)
    return path


def settle(seconds):
    """Lets the event loop run paints and resizes for a while."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        wx.GetApp().Yield(True)
        time.sleep(0.01)


def draw_sample_roi(frame):
    """The ROI of the unattended run: a rotated rectangle over the colour bars."""
    frame.set_roi(tm.CvROIMode.RotatedRectangle, [(360, 90), (420, 160)], 20.0)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("image", nargs="?", help="image file to open (default: a built-in test chart)")
    parser.add_argument("--screenshot", metavar="PNG",
                        help="draw one ROI, save a screenshot of the window to PNG and exit")
    args = parser.parse_args(argv)

    app = wx.App(False)
    wx.Log.SetActiveTarget(wx.LogStderr())
    frame = ViewerFrame(args.image, headless=bool(args.screenshot))
    if not args.screenshot:
        app.MainLoop()
        return 0
    settle(0.5)
    frame.zoom("fit")
    draw_sample_roi(frame)
    save_screenshot(frame, args.screenshot)
    print("; ".join(describe_roi(frame.panel)))
    print("screenshot written to", args.screenshot)
    frame.Destroy()
    settle(0.1)
    return 0


if __name__ == "__main__":
    sys.exit(main())
