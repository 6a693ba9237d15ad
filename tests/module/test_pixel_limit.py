"""The pixel limit: every load refuses a file declaring more pixels than the
limit, says so in the log and keeps the image it held."""
import logging
import subprocess

import cv2
import numpy as np
import pytest

import TivraModule as tm

HELD = np.full((5, 7, 3), 40, np.uint8)


def image_file(tmp_path, name):
    picture = np.random.default_rng(1).integers(0, 255, (30, 40, 3), dtype=np.uint8)
    if name.endswith((".heic", ".jxl")):
        source = str(tmp_path / "source.png")
        cv2.imwrite(source, picture)
        tool = ["heif-enc", source, "-o"] if name.endswith(".heic") else ["cjxl", source]
        subprocess.run(tool + [str(tmp_path / name)], check=True, capture_output=True)
    else:  # text PNM has no header reader: it is measured once decoded
        cv2.imwrite(str(tmp_path / name), picture, [cv2.IMWRITE_PXM_BINARY, 0] if name.endswith(".ppm") else [])
    return str(tmp_path / name)


@pytest.fixture
def restored_limit():
    default = tm.GetMaxImagePixels()
    yield
    tm.SetMaxImagePixels(default)


@pytest.mark.parametrize("name", ["a.png", "a.jpg", "a.tif", "text.ppm", "a.heic", "a.jxl"])
def test_every_load_refuses_images_above_the_limit(tmp_path, parent, restored_limit, caplog, name):
    path = image_file(tmp_path, name)
    loaders = [tm.TivraEngine(), tm.TivraPanel(parent.GetHandle()), tm.TivraROIAdvPanel(parent.GetHandle())]
    for loader in loaders:
        loader.SetMat(HELD)
    tm.SetMaxImagePixels(40 * 30 - 1)
    with caplog.at_level(logging.ERROR, logger="TivraModule"):
        assert [loader.LoadImage(path) for loader in loaders] == [False] * 3
    assert "40 x 30 pixels, more than the limit of 1199" in caplog.text
    assert [loader.GetMat().shape[:2] for loader in loaders] == [(5, 7)] * 3
    tm.SetMaxImagePixels(40 * 30)
    assert [loader.LoadImage(path) for loader in loaders] == [True] * 3


@pytest.mark.parametrize("pixels", [0, -5])
def test_limit_must_be_positive(restored_limit, pixels):
    with pytest.raises(ValueError, match="at least 1"):
        tm.SetMaxImagePixels(pixels)
