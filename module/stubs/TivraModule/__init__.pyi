"""TivraModule - OpenCV + wxWidgets Image Panel for Python

This module provides:
- TivraEngine: Pure-logic image processing (no GUI required)
- TivraPanel: Basic image display panel (requires wxPython)
- TivraROIAdvPanel: Advanced ROI panel with editing (requires wxPython)

Usage with wxPython:
    import numpy as np
    import wx
    import TivraModule

    app = wx.App()
    frame = wx.Frame(None, title="Test", size=(680, 520))
    panel = wx.Panel(frame)
    frame.Show()  # a window has a native handle once it is shown

    # The native panel is created embedded in the wxPython panel
    cv_panel = TivraModule.TivraROIAdvPanel(panel.GetHandle(), width=640, height=480)
    image_array = np.zeros((480, 640, 3), np.uint8)  # B, G, R
    cv_panel.SetMat(image_array)

    app.MainLoop()"""
from typing import Any, Callable, ClassVar, Dict, Iterable, Iterator, List, Optional, Sequence, SupportsIndex, Tuple, overload

import numpy
import numpy.typing
from . import EA as EA

class CvDisplayMode:
    """How a panel scales its image: Original (1:1) or ZoomToFit."""
    def __init__(self, value: SupportsIndex) -> None: ...
    def __repr__(self) -> str: ...
    @property
    def name(self) -> str: ...
    def __str__(self) -> str: ...
    def __eq__(self, other: Any) -> bool: ...
    def __ne__(self, other: Any) -> bool: ...
    def __getstate__(self) -> int: ...
    def __hash__(self) -> int: ...
    @property
    def value(self) -> int: ...
    def __int__(self) -> int: ...
    def __index__(self) -> int: ...
    def __setstate__(self, state: SupportsIndex) -> None: ...
    Original: ClassVar[CvDisplayMode]
    ZoomToFit: ClassVar[CvDisplayMode]
    __members__: ClassVar[dict[str, CvDisplayMode]]

Original: CvDisplayMode
ZoomToFit: CvDisplayMode

class CvROIMode:
    """Kind of ROI: the one the mouse draws, or an overlay's kind."""
    def __init__(self, value: SupportsIndex) -> None: ...
    def __repr__(self) -> str: ...
    @property
    def name(self) -> str: ...
    def __str__(self) -> str: ...
    def __eq__(self, other: Any) -> bool: ...
    def __ne__(self, other: Any) -> bool: ...
    def __getstate__(self) -> int: ...
    def __hash__(self) -> int: ...
    @property
    def value(self) -> int: ...
    def __int__(self) -> int: ...
    def __index__(self) -> int: ...
    def __setstate__(self, state: SupportsIndex) -> None: ...
    Point: ClassVar[CvROIMode]
    Line: ClassVar[CvROIMode]
    Rectangle: ClassVar[CvROIMode]
    RotatedRectangle: ClassVar[CvROIMode]
    Circle: ClassVar[CvROIMode]
    Annulus: ClassVar[CvROIMode]
    Polygon: ClassVar[CvROIMode]
    Mask: ClassVar[CvROIMode]
    __members__: ClassVar[dict[str, CvROIMode]]

Point: CvROIMode
Line: CvROIMode
Rectangle: CvROIMode
RotatedRectangle: CvROIMode
Circle: CvROIMode
Annulus: CvROIMode
Polygon: CvROIMode
Mask: CvROIMode

class GuideLineMode:
    """Guide lines a panel draws over its image."""
    def __init__(self, value: SupportsIndex) -> None: ...
    def __repr__(self) -> str: ...
    @property
    def name(self) -> str: ...
    def __str__(self) -> str: ...
    def __eq__(self, other: Any) -> bool: ...
    def __ne__(self, other: Any) -> bool: ...
    def __getstate__(self) -> int: ...
    def __hash__(self) -> int: ...
    @property
    def value(self) -> int: ...
    def __int__(self) -> int: ...
    def __index__(self) -> int: ...
    def __setstate__(self, state: SupportsIndex) -> None: ...
    Off: ClassVar[GuideLineMode]
    CenterCross: ClassVar[GuideLineMode]
    RuleOfThirds: ClassVar[GuideLineMode]
    GoldenRatio: ClassVar[GuideLineMode]
    SafeZones: ClassVar[GuideLineMode]
    AspectRatioMask: ClassVar[GuideLineMode]
    DiagonalLines: ClassVar[GuideLineMode]
    CornerMarkers: ClassVar[GuideLineMode]
    __members__: ClassVar[dict[str, GuideLineMode]]

Off: GuideLineMode
CenterCross: GuideLineMode
RuleOfThirds: GuideLineMode
GoldenRatio: GuideLineMode
SafeZones: GuideLineMode
AspectRatioMask: GuideLineMode
DiagonalLines: GuideLineMode
CornerMarkers: GuideLineMode

class AspectRatio:
    """Frame proportions shown by the AspectRatioMask guide mode."""
    def __init__(self, value: SupportsIndex) -> None: ...
    def __repr__(self) -> str: ...
    @property
    def name(self) -> str: ...
    def __str__(self) -> str: ...
    def __eq__(self, other: Any) -> bool: ...
    def __ne__(self, other: Any) -> bool: ...
    def __getstate__(self) -> int: ...
    def __hash__(self) -> int: ...
    @property
    def value(self) -> int: ...
    def __int__(self) -> int: ...
    def __index__(self) -> int: ...
    def __setstate__(self, state: SupportsIndex) -> None: ...
    AR_1_1: ClassVar[AspectRatio]
    AR_4_3: ClassVar[AspectRatio]
    AR_3_2: ClassVar[AspectRatio]
    AR_16_9: ClassVar[AspectRatio]
    AR_2_39_1: ClassVar[AspectRatio]
    AR_9_16: ClassVar[AspectRatio]
    __members__: ClassVar[dict[str, AspectRatio]]

AR_1_1: AspectRatio
AR_4_3: AspectRatio
AR_3_2: AspectRatio
AR_16_9: AspectRatio
AR_2_39_1: AspectRatio
AR_9_16: AspectRatio

class TivraEngine:
    """Pure-logic image processing engine (no GUI)"""
    def __init__(self) -> None: ...
    def SetMat(self, img: numpy.typing.NDArray[numpy.uint8]) -> None:
        """Hold a copy of img (uint8 array: gray, BGR or BGRA) as the image"""
    def GetMat(self, copy: bool = ...) -> numpy.typing.NDArray[numpy.uint8]:
        """Return a copy of the image; shape (0,) when the engine is empty. copy=False returns a read-only view of the held pixels instead (no copy for 8-bit images): writing to it raises ValueError, and it keeps showing this image after later operations replace it"""
    def HasImage(self) -> bool:
        """Return True when the engine holds an image"""
    def GetImageSize(self) -> Tuple[int, int, int]:
        """Return (height, width, channels) of the image; (0, 0, 0) when empty"""
    def Clear(self) -> None:
        """Release the image; the engine becomes empty"""
    def LoadImage(self, path: str, flags: SupportsIndex = ...) -> bool:
        """Load image from file (supports Unicode paths)"""
    def SaveImage(self, path: str) -> bool:
        """Save image to file (supports Unicode paths)"""
    def ConvertToGray(self) -> None:
        """Convert a BGR or BGRA image to one gray channel in place; a gray image stays as it is"""
    def Resize(self, width: SupportsIndex, height: SupportsIndex, interpolation: SupportsIndex = ...) -> None:
        """Resize the image in place with an INTER_* interpolation; a width or height below 1 follows the aspect ratio, both below 1 leave the image as it is"""
    def GaussianBlur(self, kernel_size: SupportsIndex, sigma: float = ...) -> None:
        """Blur the image in place with a square Gaussian kernel; an even kernel_size is made odd (4 gives 5 x 5), sigma 0 derives the spread from the size"""
    def Canny(self, threshold1: float, threshold2: float) -> numpy.typing.NDArray[numpy.uint8]:
        """Return the Canny edge map (uint8, 0 or 255, one channel) of a gray copy of the image, which stays as it is; shape (0,) when empty"""

class TivraPanelBase:
    """What TivraPanel and TivraROIAdvPanel share; not made directly (it has no constructor)"""
    def __init__(self, *args: Any, **kwargs: Any) -> None: ...
    def SetMat(self, img: numpy.typing.NDArray[numpy.uint8], copy: bool = ...) -> None:
        """Show a copy of img (gray, BGR or BGRA array); uint16, int16, float32 and float64 arrays keep their values (see SetDisplayLevels), other dtypes are clipped to uint8; with copy=False keep img itself, a C-contiguous uint8 array, alive while shown: changes to it show at the next Refresh()"""
    def GetMat(self, copy: bool = ...) -> numpy.typing.NDArray[numpy.uint8]:
        """Return a copy of the shown image (3-channel BGR); shape (0,) without one. copy=False returns a read-only view of the panel's pixels instead (no copy for 8-bit images): writing to it raises ValueError, it keeps these pixels after a later SetMat, and for an image set with SetMat(img, copy=False) it shows img's current pixels"""
    def SetMode(self, mode: SupportsIndex) -> None:
        """Set the display mode: CvDisplayMode Original (1:1) or ZoomToFit"""
    def SetZoomIn(self) -> None:
        """Zoom in one step"""
    def SetZoomOut(self) -> None:
        """Zoom out one step"""
    def SetSize(self, w: SupportsIndex, h: SupportsIndex) -> None:
        """Resize the panel to w x h pixels, keeping its position (-1 keeps that size)"""
    def SetCanvasBgColor(self, r: SupportsIndex, g: SupportsIndex, b: SupportsIndex) -> None:
        """Set the colour around the image (red, green, blue, 0-255)"""
    def SetCenterImageEnable(self, enable: bool) -> None:
        """Centre an image smaller than the window (True) or keep it at the top left"""
    def Refresh(self) -> None:
        """Repaint the panel"""
    def GetPaintCount(self) -> int:
        """Return how many frames the panel has painted; it grows once a frame is on the window, so code can wait for it after Refresh() (to capture the screen, or time real frames); 0 once the panel is gone"""
    def GetHandle(self) -> int:
        """Return the panel's native window handle, as wxPython's GetHandle() gives it; 0 once the panel is gone"""
    def GetWindow(self) -> Any:
        """Return the panel as the wx.Window wxPython sees among its parent's children (for sizers, events, focus, tooltips); None once the panel is gone"""
    def IsOk(self) -> bool:
        """Return True while the native panel exists (False once wx destroyed it with its parent)"""
    def SetGuideLineMode(self, mode: GuideLineMode) -> None:
        """Set guide line overlay mode (GuideLineMode enum)"""
    def GetGuideLineMode(self) -> GuideLineMode:
        """Return the guide line mode (GuideLineMode enum)"""
    def SetGuideLineVisible(self, visible: bool) -> None:
        """Show or hide guide lines without changing mode"""
    def GetGuideLineVisible(self) -> bool:
        """Return whether the guide lines are shown"""
    def SetGuideLineColor(self, b: SupportsIndex, g: SupportsIndex, r: SupportsIndex, a: SupportsIndex = ...) -> None:
        """Set guide line color (BGR + alpha 0-255)"""
    def SetGuideLineThickness(self, thickness: SupportsIndex) -> None:
        """Set guide line thickness in pixels"""
    def SetAspectRatio(self, ratio: AspectRatio) -> None:
        """Set crop aspect ratio (AspectRatio enum, used by AspectRatioMask mode)"""
    def GetAspectRatio(self) -> AspectRatio:
        """Return the crop aspect ratio of the AspectRatioMask mode (AspectRatio enum)"""
    def GetRawMat(self) -> numpy.typing.NDArray[Any]:
        """Return the image as given or loaded, at its own dtype (uint8, uint16, int16, float32 or float64) and channel count: Grayscale → 1-ch, colour → 3-ch BGR, HEIF/JXL → codec native. Returns empty array if no image is loaded."""
    def SetDisplayLevels(self, low: float, high: float) -> None:
        """Show raw values from low (black) to high (white), linearly, clipped outside; low < high, both finite"""
    def SetAutoLevels(self, lowPercent: float = ..., highPercent: float = ...) -> Any:
        """Set the display levels at the lowPercent and highPercent points of the image's histogram (NaN and inf left out); return them as (low, high), or None without an image"""
    def GetDisplayLevels(self) -> Any:
        """Return the display levels (low, high), or None while raw values show clipped to 0..255"""
    def ResetDisplayLevels(self) -> None:
        """Show raw values clipped to 0..255 again, as 8-bit images are shown"""
    def SetColorMap(self, name: Optional[str]) -> None:
        """False colour for one-channel images, after the levels, by OpenCV colour-map name ("jet", "turbo", "viridis", "inferno", "hot", ...); "gray" or None switches it off. An unknown name raises ValueError listing the valid ones"""
    def GetColorMap(self) -> str:
        """Return the colour map's name, "gray" when it is off"""

class TivraPanel(TivraPanelBase):
    """Basic image display panel (requires wxPython parent)"""
    @overload
    def __init__(self, parent_handle: SupportsIndex, id: SupportsIndex = ..., x: SupportsIndex = ..., y: SupportsIndex = ..., width: SupportsIndex = ..., height: SupportsIndex = ..., style: SupportsIndex = ..., name: str = ...) -> None: ...
    @overload
    def __init__(self, parent: Any, id: SupportsIndex = ..., x: SupportsIndex = ..., y: SupportsIndex = ..., width: SupportsIndex = ..., height: SupportsIndex = ..., style: SupportsIndex = ..., name: str = ...) -> None: ...
    def LoadImage(self, path: str, flags: SupportsIndex = ...) -> bool:
        """Load image from file (supports Unicode paths)"""
    def SetZoomToFit(self) -> None:
        """Fit the whole image into the window"""
    def SetOriginal(self, is_scrollbar_visible: bool = ...) -> None:
        """Show the image at scale 1, with scroll bars or without them"""

class TivraROIAdvPanel(TivraPanelBase):
    """Advanced ROI panel with editing (requires wxPython parent)"""
    @overload
    def __init__(self, parent_handle: SupportsIndex, id: SupportsIndex = ..., x: SupportsIndex = ..., y: SupportsIndex = ..., width: SupportsIndex = ..., height: SupportsIndex = ..., style: SupportsIndex = ..., name: str = ...) -> None: ...
    @overload
    def __init__(self, parent: Any, id: SupportsIndex = ..., x: SupportsIndex = ..., y: SupportsIndex = ..., width: SupportsIndex = ..., height: SupportsIndex = ..., style: SupportsIndex = ..., name: str = ...) -> None: ...
    def LoadImage(self, path: str) -> bool:
        """Load image from file (supports Unicode paths). Uses IMREAD_UNCHANGED to preserve original channel count so that GetLoadedImageInfo() reports correct channels/bitDepth/EXIF/GPS."""
    def LoadImageAsync(self, path: str, callback: Any) -> None:
        """Load an image file on a worker thread while the window keeps handling events.

        Returns at once; the panel shows a loading indicator until the load ends. Then
        callback(ok, info) runs on the GUI thread: ok tells whether the image is shown, info
        is the file's information dict as GetImageFileInfo returns it. A failed load keeps
        the previous image. A later LoadImageAsync, LoadImage or SetMat supersedes
        a pending load: its image is dropped and its callback never runs; so does the
        panel's destruction.

        Args:
            path: the image file (any Unicode path)
            callback: called as callback(ok, info)

        Raises TypeError when callback is not callable and RuntimeError when the panel
        has been destroyed."""
    def IsLoading(self) -> bool:
        """True while a LoadImageAsync is decoding; the panel shows a loading indicator meanwhile."""
    def GetDrawMat(self) -> numpy.typing.NDArray[numpy.uint8]:
        """Return a copy of the panel's drawing buffer; shape (0,) when it is empty"""
    def SetZoomToFit(self) -> None:
        """Fit the whole image into the window"""
    def ZoomToFit(self) -> None:
        """Same as SetZoomToFit()"""
    def SetOriginal(self) -> None:
        """Show the image at zoom 1 (one image pixel per screen pixel)"""
    def ZoomIn(self) -> None:
        """Same as SetZoomIn()"""
    def ZoomOut(self) -> None:
        """Same as SetZoomOut()"""
    def GetZoomFactor(self) -> float:
        """Return current display zoom factor (1.0 = 100%)"""
    def GetLoadedImageInfo(self) -> dict:
        """Return dict with image file info (channels/bitDepth/EXIF/GPS). Reflects the original file before any display conversion."""
    def SetROIMode(self, mode: SupportsIndex) -> None:
        """Choose the kind of ROI the mouse draws (CvROIMode value)"""
    def GetROIMode(self) -> int:
        """Return the kind of the current ROI (CvROIMode value as an int)"""
    def SetFuncEnable(self, menu_enable: bool, crop_enable: bool = ..., move_enable: bool = ...) -> None:
        """Switch the context menu, drawing and editing the ROI with the mouse, and moving it, on or off"""
    def SetLockROI(self, lock: bool) -> None:
        """Lock the current ROI against mouse edits, or unlock it"""
    def GetRect(self) -> tuple:
        """Return the current ROI's rectangle (x, y, width, height) in image pixels, as crop events report it"""
    def SetRect(self, rect: tuple) -> None:
        """Set the current ROI's rectangle (x, y, width, height) in image pixels"""
    def GetLeftMouseDownPoint(self) -> tuple:
        """Return the image point (x, y) of the last left-button press"""
    def GetLeftMouseUpPoint(self) -> tuple:
        """Return the image point (x, y) of the last left-button release"""
    def GetStartAngle(self) -> float:
        """Return the annulus's start angle in degrees"""
    def GetEndAngle(self) -> float:
        """Return the annulus's end angle in degrees"""
    def GetRotateAngle(self) -> float:
        """Return the rotated rectangle's angle in degrees"""
    def GetInnerRadius(self) -> float:
        """Return the annulus's inner radius in image pixels"""
    def GetOuterRadius(self) -> float:
        """Return the radius of the current circle, or the annulus's outer radius, in image pixels"""
    def GetPolygonPoints(self) -> list:
        """Return the current ROI's points (a polygon's vertices, a rotated rectangle's corners) as (x, y) tuples"""
    def SetEditingROI(self, mode: SupportsIndex, points: list, angle: float = ...) -> None:
        """Sets the current editing ROI state.

        Args:
            mode: ROI mode (1=Point, 2=Line, 3=Rect, 4=RotatedRect, 5=Circle, 6=Annulus, 7=Polygon)
            points: List of (x, y) tuples.
            angle: Rotation angle (for RotatedRectangle)."""
    def UndoROI(self) -> bool:
        """Undo the last finished edit of the current ROI (a drag, a closed polygon, a burst of key presses, SetEditingROI, SetROIState); a drag or polygon in progress is cancelled first. Raises the crop callback as an edit does. Returns True when the ROI changed (100 steps are kept)."""
    def RedoROI(self) -> bool:
        """Redo the ROI edit last undone; raises the crop callback. Returns True when the ROI changed."""
    def CanUndoROI(self) -> bool:
        """Return True when UndoROI would change the ROI"""
    def CanRedoROI(self) -> bool:
        """Return True when there is an undone ROI edit to redo"""
    def GetROIState(self) -> dict:
        """Return the current ROI as a dict that round-trips exactly through json: {'version': 1, 'kind': name} and the geometry in image pixels as floats: x, y (Point); x1, y1, x2, y2 (Line); x, y, width, height (Rectangle; RotatedRectangle adds angle, in degrees, of the unrotated rectangle); cx, cy, radius (Circle; Annulus adds inner_radius, start_angle, end_angle); points [[x, y], ...] and closed (Polygon)."""
    def SetROIState(self, state: dict) -> None:
        """Make the ROI that a GetROIState dict describes the current one (one undo step). Raises ValueError naming the field at fault (missing key, wrong type, NaN, infinite or absurd value, unknown kind or version); nothing changes then."""
    def GetEditingROI(self) -> tuple:
        """Return the current editing ROI as (mode, points, angle), the arguments SetEditingROI takes to set it again: panel.SetEditingROI(*panel.GetEditingROI()). Circles and annuli give their radii as (r, 0); an annulus gives (centre, (outer, 0), (inner, 0), (start angle, end angle)); angle is a rotated rectangle's rotation in degrees, else 0. Without an ROI: (0, [], 0.0)."""
    def SetMenuROIEnable(self, Point: bool = ..., Line: bool = ..., Rectangle: bool = ..., RotatedRectangle: bool = ..., Circle: bool = ..., Annulus: bool = ..., Polygon: bool = ...) -> None:
        """Choose the ROI kinds the context menu offers"""
    def HideROI(self) -> None:
        """Remove the current ROI"""
    def ClearOverlay(self) -> None:
        """Remove every overlay and text overlay appended so far"""
    def SetDisplayOverlay(self, show: bool) -> None:
        """Show or hide the overlays"""
    def GetDisplayOverlay(self) -> bool:
        """Return whether the overlays are shown"""
    def AppendOverlay(self, mode: SupportsIndex, points: list, color: tuple, size: SupportsIndex = ..., angle: float = ...) -> int:
        """Append an overlay ROI.

        Args:
            mode: ROI mode (0=None, 1=Point, 2=Line, 3=Rectangle, 4=RotatedRectangle,
                            5=Circle, 6=Annulus, 7=Polygon)
            points: List of (x, y) tuples. Format depends on mode:
                - Point: [(x1,y1), (x2,y2), ...]
                - Line: [(x1,y1), (x2,y2)]
                - Rectangle: [(left_top_x, left_top_y), (width, height)]
                - RotatedRectangle: [(left_top_x, left_top_y), (width, height)]
                - Circle: [(center_x, center_y), (radius, 0)]
                - Circle: [(center_x, center_y), (radius, 0)]
                - Annulus: [(center_x, center_y), (outer_r, 0), (inner_r, 0), (start_angle, end_angle)]
                - Polygon: [(x1,y1), (x2,y2), ...]
            color: Tuple (B, G, R) or (B, G, R, A), values 0-255
            size: Line/point thickness (default: 2)
            angle: Rotation angle for RotatedRectangle (default: 0.0)

        Returns:
            Index of the appended overlay"""
    def AppendTextOverlay(self, text: str, position: Any, color: Any = ..., size: SupportsIndex = ..., background: Any = ...) -> int:
        """Append a text overlay, drawn while the overlays are shown and removed by ClearOverlay().

        Args:
            text: the text (any Unicode the font has); '\\n' starts a new line
            position: (x, y) in image pixels of the first line's top-left corner
            color: Tuple (B, G, R) or (B, G, R, A), values 0-255 (default: green)
            size: glyph height in image pixels at 100% zoom, 1-1000 (default: 20)
            background: colour of a filled box behind each line, or None for no box

        Returns:
            Index of the text overlay (texts are counted apart from AppendOverlay's shapes)

        Raises ValueError naming the argument for a position that is not a finite (x, y),
        a colour that is not 3 or 4 values in 0-255, or a size outside 1-1000."""
    def UpdateDrawImage(self, update: bool = ...) -> None:
        """Update display after modifying overlays"""
    def AppendMaskOverlay(self, mask: numpy.typing.NDArray[numpy.uint8], color: tuple, alpha: float = ...) -> int:
        """Append a pixel-level mask overlay"""
    def ConvertMaskToPolygon(self, mask: numpy.typing.NDArray[numpy.uint8]) -> list:
        """Convert a mask to a polygon (contour points)"""
    def SetOnRightClickCallback(self, callback: Any) -> None:
        """Set a callback function for right-click events. Should return True to intercept."""
    def SetOnCropCallback(self, callback: Any) -> None:
        """Set a callback function for crop events"""
    def SetOnLeftDClickCallback(self, callback: Any) -> None:
        """Set a callback function for left double-click"""
    def SetOnRightDClickCallback(self, callback: Any) -> None:
        """Set a callback function for right double-click"""
    def SetOnMouseMoveCallback(self, callback: Any) -> None:
        """Set a callback function for mouse movement"""
    def SetZoomFactor(self, factor: float, center: Any = ...) -> None:
        """Zoom to factor (held within 0.1 to 20), keeping center (x, y) in source pixels, by default the current view centre, in the middle of the window as far as scrolling allows."""
    def GetViewRect(self) -> tuple:
        """The source rectangle (x, y, width, height) the window shows, in float source pixels, clipped to the image; (0.0, 0.0, 0.0, 0.0) without an image."""
    def SetViewCenter(self, x: float, y: float) -> None:
        """Scroll so that source point (x, y) is in the middle of the window as far as scrolling allows."""
    def ScrollBy(self, dx: SupportsIndex, dy: SupportsIndex) -> None:
        """Scroll by window pixels; positive values show what lies right and below."""
    def ZoomToRect(self, x: float, y: float, w: float, h: float) -> None:
        """Zoom so that the source rectangle (x, y, w, h) fills the window, centred (within the zoom limits)."""
    def SetOnViewChangedCallback(self, callback: Any) -> None:
        """Set a callback called with (zoom, (x, y, w, h)) once after every change of zoom or visible area, whatever caused it; None clears it."""

def LinkViews(*args) -> None:
    """Keep the zoom and the visible area of these TivraROIAdvPanel objects (and of panels already linked to them) equal while any of them is zoomed or panned; the others take the first panel's view now."""

def UnlinkViews(*args) -> None:
    """Take these TivraROIAdvPanel objects out of their linked groups."""

def GetImageFileInfo(path: str) -> dict:
    """Read image file metadata (size, channels, bit_depth, EXIF, GPS) without loading into a panel. Returns a dict."""

def SetMaxImagePixels(pixels: SupportsIndex) -> None:
    """Set the largest image, in pixels (width x height), that any load accepts: the engine, both panels and GetImageFileInfo refuse a file declaring more before allocating its pixels. The default is OpenCV's limit (2**30, or OPENCV_IO_MAX_IMAGE_PIXELS); OpenCV's own limit still applies to the formats it decodes."""

def GetMaxImagePixels() -> int:
    """The largest image, in pixels, that any load accepts (see SetMaxImagePixels)."""

INTER_NEAREST: int
INTER_LINEAR: int
INTER_AREA: int
INTER_CUBIC: int
INTER_LANCZOS4: int
IMREAD_UNCHANGED: int
IMREAD_GRAYSCALE: int
IMREAD_COLOR: int
IMREAD_ANYDEPTH: int
IMREAD_ANYCOLOR: int
__version__: str
