"""Each Python callback of TivraROIAdvPanel, called from a real gesture, destroys
the panel (drops its last reference), the panel's host window or its frame.
Prints one "survived" line per case; a crash ends the run early. Run by
test_advpanel_editing.py, and by hand under AddressSanitizer."""
import numpy as np
import wx

import TivraModule as tm
from wxpanel_support import Shown, pump

SETTERS = {
    "crop": "SetOnCropCallback",
    "right click": "SetOnRightClickCallback",
    "left double click": "SetOnLeftDClickCallback",
    "right double click": "SetOnRightDClickCallback",
    "mouse move": "SetOnMouseMoveCallback",
}


def gesture(kind, view):
    sim = wx.UIActionSimulator()
    origin = view.screen_origin()

    def move(x, y):
        sim.MouseMove(origin.x + x, origin.y + y)
        pump(0.1)

    move(40, 40)
    if kind == "crop":
        sim.MouseDown()
        pump(0.05)
        move(80, 70)
        sim.MouseUp()
    elif kind == "right click":
        sim.MouseClick(wx.MOUSE_BTN_RIGHT)
    elif kind == "left double click":
        sim.MouseDblClick()
    elif kind == "right double click":
        sim.MouseDblClick(wx.MOUSE_BTN_RIGHT)
    else:
        move(60, 60)
    pump(0.3)
    move(90, 90)  # over where the panel was


def run(kind, target):
    view = Shown(200, 150)
    holder = [view.panel]
    del view.panel
    panel = holder[0]
    panel.SetMat(np.zeros((150, 200, 3), np.uint8))
    panel.SetOriginal()
    # The menu is on for the right click only: it would open on the double click's clicks.
    panel.SetFuncEnable(kind == "right click", True, True)
    panel.SetROIMode(tm.CvROIMode.Rectangle)
    done = []

    def destroy(*args):
        if not done:
            done.append(True)
            if target == "panel":
                holder.clear()
            elif target == "host":
                view.parent.Destroy()
            else:
                view.frame.Destroy()
        return False  # a right click lets the menu go on

    getattr(panel, SETTERS[kind])(destroy)
    del panel
    gesture(kind, view)
    assert done, f"the {kind} callback was not called"
    holder.clear()
    if view.frame:
        view.frame.Destroy()
    pump(0.1)
    print("survived", kind, "destroying its", target, flush=True)


if __name__ == "__main__":
    for kind in SETTERS:
        for target in ("panel", "host", "frame"):
            run(kind, target)
