"""Random sessions with both Python panels: public methods with valid and hostile
arguments, real mouse gestures and key presses, frame resizes, destruction of the
panel or its parents, and callbacks that raise or use their panel. After every step
the panel must be consistent, and once destroyed, neutral.

CI runs a fixed (derandomized) set of sessions; `make soak` runs many random ones
(TIVRA_STATEFUL_EXAMPLES, TIVRA_STATEFUL_RANDOM). A failure prints the steps that
replay it."""
import math
import os
import sys

import numpy as np
import wx
from hypothesis import HealthCheck, settings, strategies as st
from hypothesis.stateful import RuleBasedStateMachine, initialize, invariant, precondition, rule

import TivraModule as tm
from wx_support import Mouse, get_app, pump

SIZE = (240, 180)
HOSTILE_NUMBERS = st.sampled_from([0.0, -1.0, 1e30, -1e30, math.inf, -math.inf, math.nan, 2.0**31, 3e9])
NUMBERS = st.one_of(st.floats(-50, 300, allow_nan=False), HOSTILE_NUMBERS)
POSITIONS = st.tuples(st.integers(-20, 260), st.integers(-20, 200))  # in the parent, a margin around the panel
POINTS = st.lists(st.tuples(NUMBERS, NUMBERS), max_size=6)
IMAGE_SHAPES = st.sampled_from([(1, 1), (17, 31), (120, 90), (300, 500), (60, 80, 3), (5, 400, 3)])
HOSTILE_ARRAYS = st.sampled_from([np.zeros((0, 0), np.uint8), np.zeros((4, 4, 2), np.uint8),
                                  np.zeros((2, 2, 2, 2), np.uint8), np.zeros(7, np.uint8),
                                  np.zeros((9, 9), np.complex64), np.zeros((30, 40, 3), np.uint8)[::2, ::3]])
KEYS = st.sampled_from([wx.WXK_LEFT, wx.WXK_RIGHT, wx.WXK_UP, wx.WXK_DOWN, wx.WXK_DELETE, wx.WXK_ESCAPE,
                        wx.WXK_RETURN, ord("+"), ord("-"), ord("0"), ord("z")])
CALLBACK_SETTERS = ["SetOnRightClickCallback", "SetOnCropCallback", "SetOnLeftDClickCallback",
                    "SetOnRightDClickCallback", "SetOnMouseMoveCallback"]
# Methods and their arguments, valid or hostile: each call either works or is refused plainly.
HOSTILE_CALLS = {
    "SetMat": st.tuples(HOSTILE_ARRAYS),
    "LoadImage": st.tuples(st.sampled_from(["/nonexistent.png", "/", "/dev/null", __file__])),
    "SetSize": st.tuples(st.integers(-5, 900), st.integers(-5, 700)),
    "SetMode": st.tuples(st.integers(-3, 12)),
}
ADVANCED_HOSTILE_CALLS = {
    "SetROIMode": st.tuples(st.integers(-2, 9)),
    "SetRect": st.tuples(st.tuples(NUMBERS, NUMBERS, NUMBERS, NUMBERS)),
    "SetEditingROI": st.tuples(st.integers(0, 8), POINTS, NUMBERS),
    "AppendOverlay": st.tuples(st.integers(0, 8), POINTS, st.just((0, 255, 0)), st.integers(-3, 40), NUMBERS),
    "AppendMaskOverlay": st.tuples(IMAGE_SHAPES.map(lambda shape: np.ones(shape[:2], np.uint8)),
                                   st.just((255, 0, 0)), NUMBERS),
}


def rule_when(condition, **arguments):
    """A rule that runs only while condition(session) holds."""
    return lambda method: precondition(condition)(rule(**arguments)(method))


def panel_rule(advanced_only=False, **arguments):
    """A rule for a session that holds its panel (an advanced one if advanced_only)."""
    return rule_when(lambda self: self.panel is not None and (self.advanced or not advanced_only), **arguments)


def window_rule(**arguments):
    return rule_when(lambda self: bool(self.frame) and bool(self.parent), **arguments)


def calls(table):
    """A method name of the table with arguments drawn for it."""
    return st.one_of(*(st.tuples(st.just(name), arguments) for name, arguments in table.items()))


def hostile(call, *args):
    """Calls a method with arguments it may refuse, as long as it refuses them plainly."""
    try:
        call(*args)
    except (ValueError, TypeError, RuntimeError):
        pass


class PanelSession(RuleBasedStateMachine):
    def __init__(self):
        super().__init__()
        get_app()
        self.frame = self.parent = self.panel = None
        self.alive = False
        self.previous_hook, sys.unraisablehook = sys.unraisablehook, lambda report: None

    @initialize(advanced=st.booleans())
    def create(self, advanced):
        self.advanced = advanced
        self.recreate()

    @rule_when(lambda self: not self.alive)
    def recreate(self):
        self.panel = None
        if self.frame:
            self.frame.Destroy()
        self.frame = wx.Frame(None, title="random session", pos=(10, 10), size=(SIZE[0] + 60, SIZE[1] + 60))
        self.parent = wx.Panel(self.frame)
        self.frame.Show()
        pump(0.1)
        kind = tm.TivraROIAdvPanel if self.advanced else tm.TivraPanel
        self.panel = kind(self.parent.GetHandle(), -1, 0, 0, *SIZE)
        if self.advanced:
            self.panel.SetFuncEnable(False, True, True)  # a context menu would wait for a user
        self.alive = True
        self.panel.SetMat(np.full((90, 120, 3), 128, np.uint8))

    def teardown(self):
        sys.unraisablehook = self.previous_hook
        self.panel = None
        if self.frame:
            self.frame.Destroy()
        pump(0.05)

    # -- methods, valid and hostile ---------------------------------------------------------
    @panel_rule(shape=IMAGE_SHAPES, value=st.integers(0, 255))
    def set_mat(self, shape, value):
        self.panel.SetMat(np.full(shape, value, np.uint8))

    @panel_rule(call=calls(HOSTILE_CALLS))
    def call_hostile(self, call):
        hostile(getattr(self.panel, call[0]), *call[1])

    @panel_rule(advanced_only=True, call=calls(ADVANCED_HOSTILE_CALLS))
    def call_hostile_advanced(self, call):
        hostile(getattr(self.panel, call[0]), *call[1])

    @panel_rule(step=st.sampled_from(["SetZoomIn", "SetZoomOut", "SetZoomToFit", "SetOriginal", "Refresh"]),
                repeat=st.integers(1, 30))
    def zoom(self, step, repeat):
        for _ in range(repeat):
            getattr(self.panel, step)()

    @panel_rule(advanced_only=True, action=st.sampled_from(["ClearOverlay", "HideROI", "UpdateDrawImage"]),
                lock=st.booleans())
    def edit(self, action, lock):
        getattr(self.panel, action)()
        self.panel.SetLockROI(lock)

    @panel_rule(mode=st.sampled_from(list(tm.GuideLineMode.__members__.values())), visible=st.booleans(),
                thickness=st.integers(-2, 50))
    def guide_lines(self, mode, visible, thickness):
        self.panel.SetGuideLineMode(mode)
        self.panel.SetGuideLineVisible(visible)
        hostile(self.panel.SetGuideLineThickness, thickness)

    # -- callbacks that raise, use their panel or destroy it ----------------------------------
    @panel_rule(advanced_only=True, setter=st.sampled_from(CALLBACK_SETTERS),
                behaviour=st.sampled_from(["raise", "reenter", "destroy"]))
    def set_callback(self, setter, behaviour):
        panel = self.panel

        def callback(*args):
            if behaviour == "raise":
                raise RuntimeError("a callback that fails")
            if behaviour == "reenter":
                panel.GetRect()
                panel.ZoomIn()
                panel.SetROIMode(tm.CvROIMode.Circle.value)
                panel.Refresh()
            elif self.alive:
                self.alive = False
                self.parent.Destroy()
            return False

        getattr(panel, setter)(callback)

    # -- the user's gestures and the windows around the panel ---------------------------------
    @window_rule(start=POSITIONS, end=POSITIONS,
                 gesture=st.sampled_from(["drag", "click", "double", "right", "right double", "move"]))
    def mouse(self, start, end, gesture):
        mouse = Mouse(self.parent)
        mouse.move(*start, settle=0.02)
        button = wx.MOUSE_BTN_RIGHT if gesture.startswith("right") else wx.MOUSE_BTN_LEFT
        if gesture == "drag":
            mouse.path([start, end])
        elif gesture == "move":
            mouse.move(*end)
        elif gesture.endswith("double"):
            mouse.sim.MouseDblClick(button)
        else:
            mouse.sim.MouseClick(button)
        pump(0.05)

    @window_rule(key=KEYS, ctrl=st.booleans())
    def key(self, key, ctrl):
        wx.UIActionSimulator().Char(key, wx.MOD_CONTROL if ctrl else wx.MOD_NONE)
        pump(0.03)

    @window_rule(w=st.integers(20, 700), h=st.integers(20, 500))
    def resize_frame(self, w, h):
        self.frame.SetSize(w, h)
        pump(0.03)

    @rule_when(lambda self: self.alive, what=st.sampled_from(["panel", "parent", "frame"]))
    def destroy(self, what):
        self.alive = False
        if what == "panel":
            self.panel = None
        elif what == "parent":
            self.parent.Destroy()
        else:
            self.frame.Destroy()
            self.frame = None
        pump(0.05)

    # -- what must hold after every step ------------------------------------------------------
    @invariant()
    def consistent(self):
        pump(0.01)
        panel = self.panel
        if panel is None:
            return
        if not self.alive:
            self.check_neutral(panel)
            return
        assert panel.IsOk()
        shown = panel.GetMat()
        assert shown.shape == (0,) or (shown.ndim in (2, 3) and shown.size > 0), shown.shape
        if self.advanced:
            assert panel.GetRawMat().shape[:2] == shown.shape[:2]
            assert 0.1 <= panel.GetZoomFactor() <= 20.0
            geometry = list(panel.GetRect()) + [panel.GetStartAngle(), panel.GetEndAngle(), panel.GetRotateAngle(),
                                                 panel.GetInnerRadius(), panel.GetOuterRadius()]
            geometry += [v for point in panel.GetPolygonPoints() for v in point]
            assert all(math.isfinite(v) for v in geometry), geometry

    def check_neutral(self, panel):
        assert panel.IsOk() is False and panel.GetHandle() == 0 and panel.GetMat().shape == (0,)
        assert panel.LoadImage(__file__) is False
        panel.SetMat(np.zeros((5, 5), np.uint8))
        panel.SetZoomIn()
        panel.SetSize(100, 100)
        if self.advanced:
            assert panel.GetZoomFactor() == 1.0 and panel.GetRect() == (0, 0, 0, 0)
            assert panel.GetPolygonPoints() == [] and panel.AppendOverlay(3, [(1, 1), (5, 5)], (0, 0, 255)) == -1


def test_random_panel_sessions():
    randomised = os.environ.get("TIVRA_STATEFUL_RANDOM") == "1"
    PanelSession.TestCase.settings = settings(
        max_examples=int(os.environ.get("TIVRA_STATEFUL_EXAMPLES", "25")), stateful_step_count=40,
        derandomize=not randomised, deadline=None, database=None, print_blob=True,
        suppress_health_check=list(HealthCheck))
    PanelSession.TestCase().runTest()
