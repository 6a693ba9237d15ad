"""The main-job demo runs with the built module and prints what it read."""
import os
import subprocess
import sys

from wx_support import child_env

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def test_demo_prints_the_sample_information():
    proc = subprocess.run([sys.executable, os.path.join(ROOT, "examples", "image_info_demo.py")],
                          env=child_env(PYTHONPATH=":".join(sys.path)), capture_output=True, text=True, timeout=120)
    assert proc.returncode == 0, proc.stderr
    assert "640 x 480 px, 3 channels, 8 bits per sample" in proc.stdout
    assert "Tivra Demo Camera 1" in proc.stdout
    assert "48.858222, 2.294500" in proc.stdout
