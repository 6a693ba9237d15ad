"""The library reports through Python's logging, never through wx dialogs that
would block the program."""
import cv2
import numpy as np

from wx_support import run_script


def test_messages_go_to_the_logger_and_no_dialog_blocks(tmp_path):
    int32s = str(tmp_path / "int32.tiff")
    cv2.imwrite(int32s, np.zeros((8, 8), np.int32))
    proc = run_script(f"""
        import logging, wx, TivraModule as tm
        from wx_support import shown_parent, pump
        logging.basicConfig(format="%(name)s %(levelname)s %(message)s")
        app = wx.App(False)  # wx's own log target: message boxes
        frame, parent = shown_parent()
        panel = tm.TivraROIAdvPanel(parent.GetHandle())
        print(panel.LoadImage({int32s!r}))
        pump()
        print("went on")
    """, timeout=40)
    assert proc.returncode == 0, proc.stderr
    assert proc.stdout.split() == ["False", "went", "on"]
    assert "TivraModule ERROR engine/TivraROIPanel/TivraROIAdvPanel: SetCVmat: cannot show" in proc.stderr
