"""Each Python callback of TivraROIAdvPanel, called from a real gesture, destroys
the panel (drops its last reference), the panel's host window or its frame.
Prints one "survived" line per case; a crash ends the run early. Run by
test_advpanel_editing.py, and by hand under AddressSanitizer."""
import numpy as np
import wx

import TivraModule as tm
from wx_support import Mouse, Shown, pump

GESTURES = {  # the callback's setter, and the gesture that calls it
    "crop": ("SetOnCropCallback", lambda mouse: mouse.path([(40, 40), (80, 70)])),
    "right click": ("SetOnRightClickCallback", lambda mouse: mouse.sim.MouseClick(wx.MOUSE_BTN_RIGHT)),
    "left double click": ("SetOnLeftDClickCallback", lambda mouse: mouse.sim.MouseDblClick()),
    "right double click": ("SetOnRightDClickCallback", lambda mouse: mouse.sim.MouseDblClick(wx.MOUSE_BTN_RIGHT)),
    "mouse move": ("SetOnMouseMoveCallback", lambda mouse: mouse.move(60, 60, settle=0.1)),
}


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

    getattr(panel, GESTURES[kind][0])(destroy)
    del panel
    mouse = Mouse(view)
    mouse.move(40, 40, settle=0.1)
    GESTURES[kind][1](mouse)
    pump(0.3)
    mouse.move(90, 90, settle=0.1)  # over where the panel was
    assert done, f"the {kind} callback was not called"
    holder.clear()
    if view.frame:
        view.frame.Destroy()
    pump(0.1)
    print("survived", kind, "destroying its", target, flush=True)


if __name__ == "__main__":
    for kind in GESTURES:
        for target in ("panel", "host", "frame"):
            run(kind, target)
