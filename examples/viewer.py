"""TivraModule viewer: open an image, zoom and pan over it, draw and edit a region
of interest with the mouse, and read the ROI's geometry as you edit it. The Measure
menu runs an edge, line or circle gauge inside the ROI after every edit.

    python3 examples/viewer.py [IMAGE]            # a window on your display
    python3 examples/viewer.py --screenshot OUT   # draw one ROI, save a PNG, exit
    python3 examples/viewer.py IMAGE --gauge circle --roi CX,CY,INNER,OUTER   # print one JSON result
    python3 examples/viewer.py IMAGE --gauge line --roi CX,CY,W,H,ANGLE
    python3 examples/viewer.py MONO16.png --levels auto --colour-map inferno   # a 16-bit frame
    python3 examples/viewer.py --window --gauge circle --roi 960,600,40,56  # the window, measuring live

Without an IMAGE the viewer shows a test chart of its own. With --screenshot it
needs no user: run it under `xvfb-run -a` where there is no display.
"""
import argparse
import csv
import json
import os
import sys
import time

import numpy as np
import wx

import TivraModule as tm
import tivra_batch

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
the right button opens the panel's menu.
Keys, after a click on the image: the arrow keys move the ROI (Shift: by
10 pixels), Ctrl+arrow keys resize it, Delete removes it, Escape cancels a
drag or an open polygon; Ctrl+Z undoes, Ctrl+Y or Ctrl+Shift+Z redoes."""

# Colour maps of the View menu, "gray" (off) first; the panels know more (see README).
COLOUR_MAPS = ["gray", "jet", "turbo", "viridis", "inferno", "magma", "plasma", "hot", "bone", "rainbow"]

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
    """Status text for the source pixel (x, y) of the raw image: size, zoom, position and
    its value as stored (RGB, or one gray value; 16-bit and float values as they are)."""
    if image is None or image.ndim < 2 or not (0 <= x < image.shape[1] and 0 <= y < image.shape[0]):
        return ""
    spell = (lambda v: "%.6g" % v) if image.dtype.kind == "f" else (lambda v: "%d" % v)
    pixel = np.atleast_1d(image[y, x])
    value = "RGB " + ",".join(spell(v) for v in pixel[2::-1]) if pixel.size >= 3 else "value " + spell(pixel[0])
    return "%dx%d  %.2fX  (%d,%d)  %s" % (image.shape[1], image.shape[0], zoom, x, y, value)


def value_sample(raw, count=1_000_000):
    """About count finite values of the raw image, sampled on a regular grid."""
    if raw is None or raw.ndim < 2 or raw.size == 0:
        return np.zeros(0)
    step = max(1, int((raw.size / count) ** 0.5))
    values = raw[::step, ::step].ravel()
    return values[np.isfinite(values)] if values.dtype.kind == "f" else values


def full_range(raw):
    """(low, high) of the raw image's type (0..65535 for uint16), or of its finite values for floats."""
    if raw.dtype.kind in "ui":
        return float(np.iinfo(raw.dtype).min), float(np.iinfo(raw.dtype).max)
    finite = raw[np.isfinite(raw)]
    return (float(finite.min()), float(finite.max())) if finite.size else (0.0, 0.0)


class LevelsHistogram(wx.Panel):
    """A small histogram of the raw image's values with the display levels as two markers
    (low blue, high red). Bar heights grow with the square root of the counts, so small
    peaks stay visible."""

    BINS = 128

    def __init__(self, parent):
        super().__init__(parent, size=(260, 72))
        self.SetBackgroundStyle(wx.BG_STYLE_PAINT)
        self.counts = None
        self.span = (0.0, 1.0)
        self.levels = None
        self.Bind(wx.EVT_PAINT, self._on_paint)
        self.Bind(wx.EVT_SIZE, lambda event: self.Refresh())

    def set_image(self, raw):
        values = value_sample(raw)
        self.counts = None
        if values.size:
            low, high = float(values.min()), float(values.max())
            self.span = (low, high if high > low else low + 1.0)
            self.counts = np.histogram(values, bins=self.BINS, range=self.span)[0]
        self.Refresh()

    def set_levels(self, levels):
        self.levels = levels
        self.Refresh()

    def _on_paint(self, event):
        dc = wx.AutoBufferedPaintDC(self)
        dc.SetBackground(wx.Brush(wx.Colour(32, 32, 32)))
        dc.Clear()
        w, h = self.GetClientSize()
        if self.counts is None or w < 2 or h < 2:
            return
        heights = np.sqrt(self.counts / max(self.counts.max(), 1)) * (h - 2)
        dc.SetPen(wx.TRANSPARENT_PEN)
        dc.SetBrush(wx.Brush(wx.Colour(190, 190, 190)))
        for i, bar in enumerate(heights):
            x0, x1 = i * w // self.BINS, (i + 1) * w // self.BINS
            dc.DrawRectangle(x0, h - int(bar), max(x1 - x0, 1), int(bar))
        if self.levels:
            low, high = self.span
            for level, colour in zip(self.levels, (wx.Colour(80, 160, 255), wx.Colour(255, 80, 80))):
                x = int(round((level - low) / (high - low) * (w - 1)))
                dc.SetPen(wx.Pen(colour, 2))
                dc.DrawLine(min(max(x, 0), w - 1), 0, min(max(x, 0), w - 1), h)


class ViewerFrame(wx.Frame):
    def __init__(self, path=None, size=(1100, 720), headless=False):
        super().__init__(None, title=TITLE, size=size)
        self.headless = headless     # no dialogs: errors go to stderr only
        self.image = None            # the shown image (BGR), for the gauges
        self.raw = None              # the image as given (uint16, float, ...), for the readout and levels
        self.overlay_count = 0
        self.kept = []               # ROIs kept as overlays, drawn again under each gauge result
        self.gauge = None            # "edges", "line", "circle" or None
        self.gauge_result = None
        self.image_name = ""
        self.ids = {}
        self.CreateStatusBar(2)
        self.SetStatusWidths([-3, -1])
        self._build_menus()
        self._build_toolbar()

        body = wx.Panel(self)
        # The image panel and, for View > Compare with..., a second one beside it.
        self.host = wx.SplitterWindow(body, style=wx.SP_LIVE_UPDATE | wx.BORDER_SUNKEN)
        self.host.SetSashGravity(0.5)
        self.host.SetMinimumPaneSize(40)
        self.compare = None
        self.readout = wx.TextCtrl(body, size=(260, -1), style=wx.TE_MULTILINE | wx.TE_READONLY | wx.TE_DONTWRAP)
        self.readout.SetFont(wx.Font(wx.FontInfo(9).Family(wx.FONTFAMILY_TELETYPE)))
        self.gauge_controls = GaugeControls(body, self.rerun_gauge)
        self.histogram = LevelsHistogram(body)
        side = wx.BoxSizer(wx.VERTICAL)
        side.Add(self.histogram, 0, wx.EXPAND | wx.BOTTOM, 4)
        side.Add(self.readout, 1, wx.EXPAND)
        side.Add(self.gauge_controls, 0, wx.EXPAND | wx.TOP, 4)
        sizer = wx.BoxSizer(wx.HORIZONTAL)
        sizer.Add(self.host, 1, wx.EXPAND)
        sizer.Add(side, 0, wx.EXPAND | wx.LEFT, 4)
        body.SetSizer(sizer)
        self.panel = tm.TivraROIAdvPanel(self.host)
        self.host.Initialize(self.panel.GetWindow())
        self.Show()
        self.Layout()

        self.panel.SetOnViewChangedCallback(lambda zoom, rect: self.update_zoom_field())
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
        self._item(file_menu, "open-large", "Open &large image without a copy...",
                   lambda e: self.choose_file(self.open_image_without_copy),
                   help="Decode once and show those pixels in place: for images of hundreds of megapixels")
        self._item(file_menu, "chart", "&Test chart", lambda e: self.show_image(make_test_chart(),
                                                                                  "built-in test chart"))
        self._item(file_menu, "screenshot", "Save &screenshot...\tCtrl+S", lambda e: self.choose_screenshot())
        self._item(file_menu, "save-view", "Save &view as PNG...", lambda e: self.choose_view_png())
        self._item(file_menu, "export", "&Export measurements...\tCtrl+E", lambda e: self.choose_export())
        self._item(file_menu, "save-recipe", "Save &recipe...", lambda e: self.choose_save_recipe())
        self._item(file_menu, "open-recipe", "Open re&cipe...", lambda e: self.choose_open_recipe())
        self._item(file_menu, "save-roi", "Save RO&I...", lambda e: self.choose_save_roi())
        self._item(file_menu, "load-roi", "&Load ROI...", lambda e: self.choose_load_roi())
        file_menu.AppendSeparator()
        self._item(file_menu, "quit", "&Quit\tCtrl+Q", lambda e: self.Close())
        bar.Append(file_menu, "&File")

        edit = wx.Menu()
        self._item(edit, "undo", "&Undo\tCtrl+Z", lambda e: self.panel.UndoROI())
        self._item(edit, "redo", "&Redo\tCtrl+Y", lambda e: self.panel.RedoROI())
        self.Bind(wx.EVT_UPDATE_UI, lambda e: e.Enable(self.panel.CanUndoROI()), id=self.ids["undo"])
        self.Bind(wx.EVT_UPDATE_UI, lambda e: e.Enable(self.panel.CanRedoROI()), id=self.ids["redo"])
        bar.Append(edit, "&Edit")

        view = wx.Menu()
        self._item(view, "fit", "Zoom to &fit\tCtrl+0", lambda e: self.zoom("fit"))
        self._item(view, "1:1", "&Actual size (1:1)\tCtrl+1", lambda e: self.zoom("1:1"))
        self._item(view, "in", "Zoom &in\tCtrl++", lambda e: self.zoom("in"))
        self._item(view, "out", "Zoom &out\tCtrl+-", lambda e: self.zoom("out"))
        view.AppendSeparator()
        self._item(view, "compare", "&Compare with...", lambda e: self.choose_compare(),
                   help="Open a second image beside this one; zoom and pan move both")
        self._item(view, "close-compare", "C&lose comparison", lambda e: self.close_compare())
        view.AppendSeparator()
        self.overlay_item = self._item(view, "overlays", "Show &overlays\tCtrl+D", self._on_overlays,
                                       wx.ITEM_CHECK)
        view.AppendSeparator()
        self._build_display_menus(view)
        bar.Append(view, "&View")

        roi = wx.Menu()
        for label, kind, help_text in ROI_KINDS:
            self._item(roi, kind, label, lambda e, k=kind: self.set_roi_kind(k), wx.ITEM_RADIO, help_text)
        roi.AppendSeparator()
        self._item(roi, "keep", "&Keep ROI as overlay\tCtrl+K", lambda e: self.keep_roi())
        self._item(roi, "clear-overlays", "Clear o&verlays", lambda e: self.clear_overlays())
        self._item(roi, "clear", "C&lear ROI", lambda e: self.clear_roi())
        bar.Append(roi, "&ROI")

        measure = wx.Menu()
        self._item(measure, "gauge-off", "&Off", lambda e: self.set_gauge(None), wx.ITEM_RADIO)
        for label, gauge, help_text in GAUGES:
            self._item(measure, "gauge-" + gauge, label, lambda e, g=gauge: self.set_gauge(g), wx.ITEM_RADIO,
                       help_text)
        bar.Append(measure, "&Measure")

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

    def _build_display_menus(self, view):
        levels = wx.Menu()
        self._item(levels, "levels-auto", "&Auto (0.5 % to 99.5 %)\tCtrl+L", lambda e: self.set_levels("auto"))
        self._item(levels, "levels-full", "&Full range", lambda e: self.set_levels("full"))
        self._item(levels, "levels-manual", "&Manual...", lambda e: self.choose_levels())
        self._item(levels, "levels-off", "&Off (values clipped to 0..255)", lambda e: self.set_levels(None))
        view.AppendSubMenu(levels, "&Levels")
        maps = wx.Menu()
        for name in COLOUR_MAPS:
            self._item(maps, "map-" + name, name.capitalize(), lambda e, n=name: self.set_colour_map(n),
                       wx.ITEM_RADIO)
        view.AppendSubMenu(maps, "Colour &map")

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
        tools.AddSeparator()
        icons = {"edges": tm.CvROIMode.Point, "line": tm.CvROIMode.Line, "circle": tm.CvROIMode.Annulus}
        for label, gauge, help_text in GAUGES:
            tools.AddCheckTool(self.ids["gauge-" + gauge], label.replace("&", ""), kind_icon(icons[gauge]),
                               shortHelp=help_text)
        tools.Realize()

    # ------------------------------------------------------------ actions

    def show_image(self, bgr, name):
        self.image_name = name
        self.panel.SetMat(bgr)
        self.image = self.panel.GetMat(copy=False)
        self._after_load(name)

    def open_image(self, path):
        return self._image_loaded(path, self.panel.LoadImage(path), tm.GetImageFileInfo(path))

    def open_image_async(self, path):
        """File > Open: the file decodes on a worker thread while the window stays live."""
        self.panel.LoadImageAsync(path, lambda ok, info: self._image_loaded(path, ok, info))

    def _image_loaded(self, path, ok, info):
        if not ok:
            self.report_error("Cannot read the image %s" % path)
            return False
        self.image = self.panel.GetMat(copy=False)
        self.image_name = path
        print("%s: %d x %d px, %d channels, %d bits" % (path, info.get("width", 0), info.get("height", 0),
                                                        info.get("channels", 0), info.get("bit_depth", 0)),
              file=sys.stderr if self.headless else sys.stdout)
        self._after_load(os.path.basename(path))
        return True

    def open_image_without_copy(self, path):
        """The engine decodes the file and the panel shows its read-only pixels in place (copy=False):
        one copy of a huge image in memory instead of two or three."""
        engine = tm.TivraEngine()
        if not engine.LoadImage(path) or not engine.HasImage():
            self.report_error("Cannot read the image %s" % path)
            return False
        self.image = engine.GetMat(copy=False)
        self.image_name = path
        self.panel.SetMat(self.image, copy=False)
        self._after_load(os.path.basename(path) + " (shown without a copy)")
        return True

    def _after_load(self, name):
        self.SetTitle("%s - %s" % (name, TITLE))
        self.raw = self.panel.GetRawMat()
        self.histogram.set_image(self.raw)
        self.histogram.set_levels(self.panel.GetDisplayLevels())
        # Loading a file switches the overlays off; the menu follows the panel.
        self.overlay_item.Check(self.panel.GetDisplayOverlay())
        self.rerun_gauge()
        self.update_zoom_field()

    def report_error(self, message):
        print(message, file=sys.stderr)
        if not self.headless:
            wx.MessageBox(message, TITLE, wx.OK | wx.ICON_ERROR, self)

    def choose_file(self, open_with=None):
        with wx.FileDialog(self, "Open image", wildcard=IMAGE_WILDCARD,
                           style=wx.FD_OPEN | wx.FD_FILE_MUST_EXIST) as dialog:
            if dialog.ShowModal() == wx.ID_OK:
                (open_with or self.open_image_async)(dialog.GetPath())

    def choose_screenshot(self):
        with wx.FileDialog(self, "Save screenshot", defaultFile="viewer.png", wildcard="PNG|*.png",
                           style=wx.FD_SAVE | wx.FD_OVERWRITE_PROMPT) as dialog:
            if dialog.ShowModal() == wx.ID_OK:
                save_screenshot(self, dialog.GetPath())

    def set_levels(self, how):
        """Display levels: "auto" from the histogram, "full" for the value range, a pair
        (low, high), or None to show values clipped to 0..255 as 8-bit images are."""
        if how is None:
            self.panel.ResetDisplayLevels()
        elif how == "auto":
            self.panel.SetAutoLevels()
        elif self.raw is not None and self.raw.size:
            low, high = full_range(self.raw) if how == "full" else how
            if high > low:
                self.panel.SetDisplayLevels(low, high)
        self.histogram.set_levels(self.panel.GetDisplayLevels())

    def choose_levels(self):
        current = self.panel.GetDisplayLevels() or (0, 255)
        with wx.TextEntryDialog(self, "Low and high level (raw values):", TITLE,
                                "%g, %g" % current) as dialog:
            if dialog.ShowModal() != wx.ID_OK:
                return
            try:
                self.set_levels(tuple(float(part) for part in dialog.GetValue().split(",")))
            except (TypeError, ValueError) as error:
                self.report_error("Levels must be two numbers, low < high: %s" % error)

    def set_colour_map(self, name):
        self.panel.SetColorMap(name)
        self.GetMenuBar().Check(self.ids["map-" + name], True)

    def choose_compare(self):
        with wx.FileDialog(self, "Compare with", wildcard=IMAGE_WILDCARD,
                           style=wx.FD_OPEN | wx.FD_FILE_MUST_EXIST) as dialog:
            if dialog.ShowModal() == wx.ID_OK:
                self.compare_with(dialog.GetPath())

    def compare_with(self, path):
        """Shows the image at path beside the current one, both views linked."""
        if self.compare is None:
            self.compare = tm.TivraROIAdvPanel(self.host)
            self.compare.SetCenterImageEnable(True)
            self.compare.SetCanvasBgColor(64, 64, 64)
        if not self.compare.LoadImage(path):
            self.report_error("Cannot read the image %s" % path)
            if not self.host.IsSplit():
                self.compare = None  # not shown yet: the panel goes with its wrapper
            return False
        if not self.host.IsSplit():
            self.host.SplitVertically(self.panel.GetWindow(), self.compare.GetWindow())
        tm.LinkViews(self.panel, self.compare)
        return True

    def close_compare(self):
        if self.compare is None:
            return
        tm.UnlinkViews(self.panel, self.compare)
        self.host.Unsplit(self.compare.GetWindow())
        self.compare = None

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
        self.rerun_gauge()

    def _on_overlays(self, event):
        self.panel.SetDisplayOverlay(event.IsChecked())

    def keep_roi(self):
        overlay = roi_as_overlay(self.panel)
        if overlay is None:
            return
        kind, points, angle = overlay
        colour = OVERLAY_COLOURS[self.overlay_count % len(OVERLAY_COLOURS)]
        self.kept.append((int(kind), points, colour, 2, angle))
        self.panel.AppendOverlay(int(kind), points, colour, 2, angle)
        self.overlay_count += 1
        self.panel.SetDisplayOverlay(True)
        self.overlay_item.Check(True)

    def clear_overlays(self):
        self.panel.ClearOverlay()
        self.overlay_count = 0
        self.kept = []
        self.rerun_gauge()

    def clear_roi(self):
        self.panel.HideROI()
        self.rerun_gauge()

    def set_gauge(self, gauge):
        """Chooses the gauge that measures after every edit (None: no gauge); switches the ROI to
        a kind the gauge can use when the current one does not suit it."""
        self.gauge = gauge
        self.GetMenuBar().Check(self.ids["gauge-" + (gauge or "off")], True)
        for _, name, _ in GAUGES:
            self.GetToolBar().ToggleTool(self.ids["gauge-" + name], name == gauge)
        if gauge and gauge_roi(gauge, self.panel.GetEditingROI()) is None:
            self.set_roi_kind({"edges": tm.CvROIMode.Line, "line": tm.CvROIMode.RotatedRectangle,
                               "circle": tm.CvROIMode.Annulus}[gauge])
        self.rerun_gauge()

    def rerun_gauge(self):
        """Measures the current ROI with the chosen gauge, draws the result over the kept
        overlays and lists it in the readout."""
        self.gauge_result = None
        if self.gauge and self.image is not None:
            self.gauge_result = run_gauge(self.gauge, self.image, self.panel.GetEditingROI(),
                                          self.gauge_controls.params())
        self.panel.ClearOverlay()
        for kind, points, colour, size, angle in self.kept:
            self.panel.AppendOverlay(kind, points, colour, size, angle)
        for kind, points, colour, size in gauge_overlays(self.gauge_result) if self.gauge_result else []:
            self.panel.AppendOverlay(int(kind), points, colour, size)
        label = gauge_label(self.gauge_result, self.gauge_controls.params().pixel_size) if self.gauge_result else None
        if label:
            # Sized for the current zoom: about LABEL_HEIGHT screen pixels high.
            size = max(1, min(1000, round(LABEL_HEIGHT / self.panel.GetZoomFactor())))
            self.panel.AppendTextOverlay(label[0], label[1], FIT_COLOUR, size, LABEL_BACKGROUND)
        if self.gauge_result:
            self.panel.SetDisplayOverlay(True)
            self.overlay_item.Check(True)
        self.panel.Refresh()
        self.update_readout()

    def choose_export(self):
        if not self.gauge_result:
            self.report_error("Choose a gauge in the Measure menu first")
            return
        with wx.FileDialog(self, "Export measurements", defaultFile="measurements.json",
                           wildcard="JSON|*.json|CSV|*.csv", style=wx.FD_SAVE | wx.FD_OVERWRITE_PROMPT) as dialog:
            if dialog.ShowModal() == wx.ID_OK:
                export_measurements(dialog.GetPath(), self.image_name, self.panel.GetEditingROI(),
                                    self.gauge_controls.params(), self.gauge_result)

    def save_recipe(self, path):
        """Writes the chosen gauge, the ROI being edited, the gauge parameters and the pixel size
        as a recipe that tivra_batch runs over many images."""
        params = self.gauge_controls.params().as_dict()
        pixel_size = params.pop("pixel_size")
        tivra_batch.save_recipe(path, tivra_batch.make_recipe(self.gauge, self.panel.GetEditingROI(), params,
                                                              pixel_size))

    def open_recipe(self, path):
        """Takes the gauge, the ROI, the gauge parameters and the pixel size from a recipe file."""
        recipe = tivra_batch.load_recipe(path)
        self.gauge_controls.set_params(recipe["parameters"], recipe["pixel_size"])
        roi = recipe["roi"]
        self.set_roi(tm.CvROIMode.__members__[roi["mode"]], [tuple(p) for p in roi["points"]], roi["angle"])
        self.set_gauge(recipe["gauge"])

    def save_roi(self, path):
        """Writes the ROI being edited as JSON (the panel's ROI state)."""
        with open(path, "w", encoding="utf-8") as stream:
            json.dump(self.panel.GetROIState(), stream, indent=1)

    def load_roi(self, path):
        """Makes the ROI saved in a JSON file the one being edited (undoable)."""
        with open(path, encoding="utf-8") as stream:
            self.panel.SetROIState(json.load(stream))
        self._on_crop(self.panel.GetRect())

    def choose_save_roi(self):
        with wx.FileDialog(self, "Save ROI", defaultFile="roi.json", wildcard="ROI (*.json)|*.json",
                           style=wx.FD_SAVE | wx.FD_OVERWRITE_PROMPT) as dialog:
            if dialog.ShowModal() == wx.ID_OK:
                try:
                    self.save_roi(dialog.GetPath())
                except OSError as error:
                    self.report_error("Cannot save the ROI: %s" % error)

    def choose_load_roi(self):
        with wx.FileDialog(self, "Load ROI", wildcard="ROI (*.json)|*.json",
                           style=wx.FD_OPEN | wx.FD_FILE_MUST_EXIST) as dialog:
            if dialog.ShowModal() == wx.ID_OK:
                try:
                    self.load_roi(dialog.GetPath())
                except (OSError, ValueError) as error:
                    self.report_error("Cannot load the ROI: %s" % error)

    def choose_save_recipe(self):
        if not self.gauge:
            self.report_error("Choose a gauge in the Measure menu first")
            return
        with wx.FileDialog(self, "Save recipe", defaultFile="recipe.json", wildcard="Recipe (*.json)|*.json",
                           style=wx.FD_SAVE | wx.FD_OVERWRITE_PROMPT) as dialog:
            if dialog.ShowModal() == wx.ID_OK:
                try:
                    self.save_recipe(dialog.GetPath())
                except (OSError, ValueError) as error:
                    self.report_error("Cannot save the recipe: %s" % error)

    def choose_open_recipe(self):
        with wx.FileDialog(self, "Open recipe", wildcard="Recipe (*.json)|*.json",
                           style=wx.FD_OPEN | wx.FD_FILE_MUST_EXIST) as dialog:
            if dialog.ShowModal() == wx.ID_OK:
                try:
                    self.open_recipe(dialog.GetPath())
                except (OSError, ValueError) as error:
                    self.report_error("Cannot open the recipe: %s" % error)

    def choose_view_png(self):
        with wx.FileDialog(self, "Save view as PNG", defaultFile="view.png", wildcard="PNG|*.png",
                           style=wx.FD_SAVE | wx.FD_OVERWRITE_PROMPT) as dialog:
            if dialog.ShowModal() == wx.ID_OK:
                save_screenshot(self, dialog.GetPath(), self.host)

    # ------------------------------------------------------------ panel callbacks

    def _on_crop(self, rect):
        # The kind may have been changed from the panel's own menu.
        kind = tm.CvROIMode(self.panel.GetROIMode())
        if kind in self.ids and not self.GetMenuBar().IsChecked(self.ids[kind]):
            self.GetMenuBar().Check(self.ids[kind], True)
            self.GetToolBar().ToggleTool(self.ids[kind], True)
        self.rerun_gauge()
        self.update_zoom_field()

    def _on_mouse_move(self, point):
        self.SetStatusText(pixel_text(self.raw, self.panel.GetZoomFactor(), int(point[0]), int(point[1])), 0)

    def update_readout(self):
        lines = describe_roi(self.panel)
        if self.gauge_result:
            lines += gauge_lines(self.gauge_result, self.gauge_controls.params().pixel_size)
        self.readout.ChangeValue("\n".join(lines))

    def update_zoom_field(self):
        self.SetStatusText("zoom %.0f %%" % (self.panel.GetZoomFactor() * 100), 1)


# ---------------------------------------------------------------- gauges

# (menu label, gauge, toolbar help)
GAUGES = [
    ("&Edges", "edges", "Edge gauge: edges along a line or a rotated rectangle"),
    ("Li&ne", "line", "Line gauge: a straight edge across a rotated rectangle"),
    ("C&ircle", "circle", "Circle gauge: a circular edge inside an annulus"),
]
POLARITIES = ["either", "rising", "falling"]
INLIER_COLOUR = (0, 220, 0)      # B, G, R
OUTLIER_COLOUR = (0, 0, 255)
FIT_COLOUR = (255, 200, 0)
LABEL_BACKGROUND = (24, 24, 24)
LABEL_HEIGHT = 16                # screen pixels


class GaugeParams:
    """What the side panel sets: caliper settings and the pixel size for millimetres."""

    def __init__(self, threshold=20.0, polarity=0, calipers=32, width=5, select="first", inward=False,
                 pixel_size=0.0):
        self.threshold, self.polarity, self.calipers, self.width = threshold, polarity, calipers, width
        self.select, self.inward, self.pixel_size = select, inward, pixel_size

    def as_dict(self):
        return dict(vars(self))


def gauge_roi(gauge, roi):
    """The gauge's own ROI from (kind, points, angle) as GetEditingROI gives it, or None
    when this kind of ROI does not suit the gauge."""
    return tivra_batch.recipe.gauge_region(gauge, tm.CvROIMode(int(roi[0])), roi[1], roi[2])


NEEDS = {"edges": "a line or a (rotated) rectangle", "line": "a (rotated) rectangle",
         "circle": "an annulus or a circle"}


def run_gauge(gauge, image, roi, params):
    """Measures with `gauge` inside `roi` ((kind, points, angle)); the native result plus
    "gauge", "status" and the ROI the gauge used."""
    where = gauge_roi(gauge, roi)
    if where is None:
        return {"gauge": gauge, "status": "failed", "ok": False, "reason": "the %s gauge needs %s ROI"
                % (gauge, NEEDS[gauge])}
    caliper = dict(threshold=params.threshold, polarity=params.polarity, kernel_size=2)
    if gauge == "edges" and "p1" in where:
        result = tm.EA.measureEdges(image, where["p1"], where["p2"], width=params.width, **caliper)
    elif gauge == "edges":
        result = tm.EA.measureEdges(image, where["rect"], **caliper)
    elif gauge == "line":
        result = tm.EA.measureLine(image, where["rect"], width=params.width, select=params.select,
                                   calipers=max(params.calipers, 2), **caliper)
    else:
        result = tm.EA.measureCircle(image, where["center"], where["inner"], where["outer"], where["start"],
                                     where["end"], width=params.width, select=params.select,
                                     calipers=max(params.calipers, 3), inward=params.inward, **caliper)
    result.update(gauge=gauge, status="ok" if result["ok"] else "failed", roi=where)
    return result


def gauge_summary(result, pixel_size=0.0):
    """The result's figures as plain JSON values; lengths also in mm when the pixel size is known."""
    out = {"gauge": result["gauge"], "status": result["status"]}
    if not result["ok"]:
        out["reason"] = result["reason"]
    mm = (lambda v: round(v * pixel_size, 6)) if pixel_size > 0 else None
    if result["gauge"] == "circle" and result["ok"]:
        out.update(center=list(result["center"]), radius=result["radius"], diameter=result["diameter"],
                   roundness=result["roundness"], points=result["inlier_count"])
        if mm:
            out.update(radius_mm=mm(result["radius"]), diameter_mm=mm(result["diameter"]),
                       roundness_mm=mm(result["roundness"]))
    elif result["gauge"] == "line" and result["ok"]:
        out.update(angle=result["angle"], straightness=result["straightness"], points=result["inlier_count"],
                   p1=list(result["p1"]), p2=list(result["p2"]))
        if mm:
            out.update(straightness_mm=mm(result["straightness"]))
    elif result["gauge"] == "edges" and result["ok"]:
        out.update(edges=[{"x": e["point"][0], "y": e["point"][1], "polarity": e["polarity"],
                           "strength": e["strength"]} for e in result["edges"]],
                   gaps=list(result["gaps"]), points=len(result["edges"]))
        if mm:
            out.update(gaps_mm=[mm(g) for g in result["gaps"]])
    return out


def gauge_lines(result, pixel_size=0.0):
    """The readout's text for a gauge result, in px and in mm when the pixel size is known."""
    def length(v):
        return "%.3f px" % v + ("  %.4f mm" % (v * pixel_size) if pixel_size > 0 else "")

    lines = ["", "Gauge: %s" % result["gauge"]]
    if not result["ok"]:
        return lines + ["failed: %s" % result["reason"]]
    if result["gauge"] == "circle":
        lines += ["centre (%.3f, %.3f)" % tuple(result["center"]), "radius   " + length(result["radius"]),
                  "diameter " + length(result["diameter"]), "roundness " + length(result["roundness"]),
                  "points %d of %d" % (result["inlier_count"], len(result["points"]))]
    elif result["gauge"] == "line":
        lines += ["angle %.4f deg" % result["angle"], "straightness " + length(result["straightness"]),
                  "points %d of %d" % (result["inlier_count"], len(result["points"]))]
    else:
        lines.append("%d edges" % len(result["edges"]))
        for i, e in enumerate(result["edges"][:20]):
            lines.append(" %2d (%.2f, %.2f) %s" % (i + 1, e["point"][0], e["point"][1],
                                                   "rise" if e["polarity"] == 1 else "fall"))
        lines += ["gap %d: %s" % (i + 1, length(g)) for i, g in enumerate(result["gaps"][:20])]
    return lines


def gauge_overlays(result):
    """(mode, points, colour, size) records that draw a result: edge points in two colours,
    the fitted line or circle and its centre."""
    if result["gauge"] == "edges":
        return [(tm.CvROIMode.Point, [e["point"] for e in result["edges"]], INLIER_COLOUR, 2)] \
            if result.get("edges") else []
    pairs = list(zip(result.get("points", []), result.get("inliers", [])))
    records = [(tm.CvROIMode.Point, [p for p, ok in pairs if p is not None and ok], INLIER_COLOUR, 2),
               (tm.CvROIMode.Point, [p for p, ok in pairs if p is not None and not ok], OUTLIER_COLOUR, 2)]
    if result["ok"] and result["gauge"] == "line":
        records.append((tm.CvROIMode.Line, [result["p1"], result["p2"]], FIT_COLOUR, 1))
    if result["ok"] and result["gauge"] == "circle":
        records.append((tm.CvROIMode.Circle, [result["center"], (result["radius"], 0)], FIT_COLOUR, 1))
        records.append((tm.CvROIMode.Point, [result["center"]], FIT_COLOUR, 3))
    return [r for r in records if r[1]]


def gauge_label(result, pixel_size=0.0):
    """(text, anchor) of the label drawn on the image: the diameter beside a fitted circle (below
    and right of its rim), the angle at the middle of a fitted line; None for other results."""
    if not result["ok"] or result["gauge"] not in ("circle", "line"):
        return None
    if result["gauge"] == "circle":
        (cx, cy), r, d = result["center"], result["radius"], result["diameter"]
        mm = "  %.4f mm" % (d * pixel_size) if pixel_size > 0 else ""
        return "\u2300 %.3f px%s" % (d, mm), (cx + r * 0.71, cy + r * 0.71)
    (x1, y1), (x2, y2) = result["p1"], result["p2"]
    return "\u2220 %.3f\u00b0" % result["angle"], ((x1 + x2) / 2, (y1 + y2) / 2)


def export_measurements(path, image_name, roi, params, result):
    """Writes image, ROI, parameters and result as JSON, or as CSV when path ends in .csv."""
    kind, points, angle = roi
    record = {"image": image_name, "roi": {"kind": tm.CvROIMode(kind).name, "points": [list(p) for p in points],
                                            "angle": angle},
              "parameters": params.as_dict(), "result": gauge_summary(result, params.pixel_size)}
    if not path.lower().endswith(".csv"):
        with open(path, "w") as f:
            json.dump(record, f, indent=2)
        return
    with open(path, "w", newline="") as f:
        out = csv.writer(f)
        out.writerow(["field", "value"])
        out.writerow(["image", image_name])
        out.writerow(["roi", json.dumps(record["roi"])])
        for key, value in record["parameters"].items():
            out.writerow(["parameter " + key, value])
        for key, value in record["result"].items():
            out.writerow([key, json.dumps(value) if isinstance(value, (list, dict)) else value])
        if "points" in result and isinstance(result["points"], list):
            out.writerow([])
            out.writerow(["caliper", "x", "y", "inlier"])
            for i, (p, ok) in enumerate(zip(result["points"], result["inliers"])):
                out.writerow([i, "" if p is None else p[0], "" if p is None else p[1], int(ok)])


class GaugeControls(wx.Panel):
    """The side panel's gauge parameters; calls on_change after every edit."""

    def __init__(self, parent, on_change):
        super().__init__(parent)
        self.on_change = on_change
        grid = wx.FlexGridSizer(2, 4, 4)
        grid.AddGrowableCol(1)

        def row(label, control):
            grid.Add(wx.StaticText(self, label=label), 0, wx.ALIGN_CENTER_VERTICAL)
            grid.Add(control, 1, wx.EXPAND)
            return control

        self.threshold = row("Threshold", wx.SpinCtrlDouble(self, min=0, max=255, initial=20, inc=1))
        self.polarity = row("Polarity", wx.Choice(self, choices=POLARITIES))
        self.polarity.SetSelection(0)
        self.select = row("Edge", wx.Choice(self, choices=["first", "strongest"]))
        self.select.SetSelection(0)
        self.calipers = row("Calipers", wx.SpinCtrl(self, min=2, max=360, initial=32))
        self.width = row("Caliper width", wx.SpinCtrl(self, min=1, max=99, initial=5))
        self.inward = row("Circle search", wx.Choice(self, choices=["outward", "inward"]))
        self.inward.SetSelection(0)
        self.pixel_size = row("Pixel size mm", wx.TextCtrl(self, value="0", style=wx.TE_PROCESS_ENTER))
        self.SetSizer(grid)
        for control, event in ((self.threshold, wx.EVT_SPINCTRLDOUBLE), (self.polarity, wx.EVT_CHOICE),
                               (self.select, wx.EVT_CHOICE), (self.calipers, wx.EVT_SPINCTRL),
                               (self.width, wx.EVT_SPINCTRL), (self.inward, wx.EVT_CHOICE),
                               (self.pixel_size, wx.EVT_TEXT)):
            control.Bind(event, lambda e: self.on_change())

    def set_params(self, parameters, pixel_size):
        """Shows a recipe's parameters (as GaugeParams.as_dict gives them, without the pixel size)."""
        self.threshold.SetValue(parameters["threshold"])
        self.polarity.SetSelection(parameters["polarity"])
        self.select.SetStringSelection(parameters["select"])
        self.calipers.SetValue(parameters["calipers"])
        self.width.SetValue(parameters["width"])
        self.inward.SetSelection(1 if parameters["inward"] else 0)
        self.pixel_size.ChangeValue(repr(pixel_size))

    def params(self):
        try:
            pixel_size = max(float(self.pixel_size.GetValue()), 0.0)
        except ValueError:
            pixel_size = 0.0
        return GaugeParams(self.threshold.GetValue(), self.polarity.GetSelection(), self.calipers.GetValue(),
                           self.width.GetValue(), self.select.GetStringSelection(),
                           self.inward.GetSelection() == 1, pixel_size)


def save_screenshot(frame, path, window=None):
    """Writes what the frame (or one of its windows) shows on screen, read back from the
    X server, as a PNG."""
    frame.Raise()
    frame.Refresh()
    frame.Update()
    settle(0.3)
    window = window or frame
    x, y = window.GetScreenPosition()
    w, h = window.GetSize()
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
    parser.add_argument("--gauge", choices=[g for _, g, _ in GAUGES],
                        help="measure inside --roi, print the result as one JSON object and exit")
    parser.add_argument("--roi", help="circle: CX,CY,INNER,OUTER[,START,END]; line and edges: CX,CY,W,H,ANGLE")
    parser.add_argument("--levels", choices=["auto", "full"], help="display levels of the image")
    parser.add_argument("--colour-map", choices=COLOUR_MAPS, help="false colour for one-channel images")
    parser.add_argument("--window", action="store_true",
                        help="with --gauge: print the first result and keep the window open, measuring live")
    args = parser.parse_args(argv)
    if args.gauge and not args.window:
        return measure_headless(parser, args)

    roi = parsed_gauge_roi(parser, args) if args.gauge else None
    app = wx.App(False)
    wx.Log.SetActiveTarget(wx.LogStderr())
    frame = ViewerFrame(args.image, headless=bool(args.screenshot))
    if args.levels:
        frame.set_levels(args.levels)
    if args.colour_map:
        frame.set_colour_map(args.colour_map)
    if roi:
        settle(0.3)  # the panel takes its final size first, so the fit zoom fits the window
        frame.zoom("fit")
        frame.set_roi(*roi)
        frame.set_gauge(args.gauge)
        print(json.dumps(gauge_summary(frame.gauge_result)), flush=True)
    if not args.screenshot:
        app.MainLoop()
        return 0
    settle(0.5)
    if not roi:
        frame.zoom("fit")
        draw_sample_roi(frame)
    save_screenshot(frame, args.screenshot)
    print("; ".join(describe_roi(frame.panel)))
    print("screenshot written to", args.screenshot)
    frame.Destroy()
    settle(0.1)
    return 0


def gauge_roi_argument(gauge, text):
    """(kind, points, angle) of the ROI given on the command line, or None when it does not parse."""
    try:
        v = [float(part) for part in text.split(",")]
    except (AttributeError, ValueError):
        return None
    if gauge == "circle" and len(v) in (4, 6):
        start, end = v[4:6] if len(v) == 6 else (0.0, 360.0)
        return tm.CvROIMode.Annulus, [(v[0], v[1]), (v[3], 0.0), (v[2], 0.0), (start, end)], 0.0
    if gauge in ("line", "edges") and len(v) == 5:
        cx, cy, w, h, angle = v
        return tm.CvROIMode.RotatedRectangle, [(cx - w / 2, cy - h / 2), (w, h)], angle
    return None


def parsed_gauge_roi(parser, args):
    """The ROI of --roi for --gauge; exits with a usage message when it does not parse."""
    roi = gauge_roi_argument(args.gauge, args.roi)
    if roi is None:
        parser.error("--roi for the %s gauge: %s" % (args.gauge, "CX,CY,INNER,OUTER[,START,END]"
                                                     if args.gauge == "circle" else "CX,CY,W,H,ANGLE"))
    return roi


def measure_headless(parser, args):
    """--gauge: measures without a user and prints one JSON object; with --screenshot the
    window shows the result first."""
    roi = parsed_gauge_roi(parser, args)
    app = wx.App(False)
    wx.Log.SetActiveTarget(wx.LogStderr())
    if args.screenshot:
        frame = ViewerFrame(args.image, headless=True)
        settle(0.5)
        frame.zoom("fit")
        frame.set_roi(*roi)
        frame.set_gauge(args.gauge)
        save_screenshot(frame, args.screenshot)
        result, image_ok = frame.gauge_result, frame.image is not None
        frame.Destroy()
        settle(0.1)
    else:
        image = load_image(args.image) if args.image else make_test_chart()
        image_ok = image is not None
        result = run_gauge(args.gauge, image, roi, GaugeParams()) if image_ok else None
    del app
    if not image_ok or result is None:
        print("Cannot read the image %s" % args.image, file=sys.stderr)
        return 1
    print(json.dumps(gauge_summary(result)))
    return 0 if result["ok"] else 2


def load_image(path):
    """The image file as the viewer's panel shows it (BGR), without a window; None when unreadable."""
    engine = tm.TivraEngine()
    return engine.GetMat() if engine.LoadImage(path) and engine.HasImage() else None


if __name__ == "__main__":
    sys.exit(main())
