"""GetImageFileInfo on real files made by independent producers (Pillow, piexif,
OpenCV, libheif's heif-enc, libjxl's cjxl) and on damaged or hand-built files."""
import io
import struct

import cv2
import numpy as np
import piexif
import pytest
from PIL import Image

import TivraModule as tm

KEYS = ["width", "height", "channels", "bit_depth", "format", "has_exif", "orientation", "date_time",
        "camera_make", "camera_model", "focal_length", "f_number", "exposure_time", "iso", "has_gps",
        "gps_lat", "gps_lon", "gps_alt", "extra"]
TYPES = [int, int, int, int, str, bool, int, str, str, str, float, float, float, int, bool,
         float, float, float, dict]

CAMERA_EXIF = {
    "0th": {piexif.ImageIFD.Make: b"Fujifilm", piexif.ImageIFD.Model: b"X-T5",
            piexif.ImageIFD.Orientation: 8, piexif.ImageIFD.DateTime: b"2023:07:14 10:00:00"},
    "Exif": {piexif.ExifIFD.ExposureTime: (1, 250), piexif.ExifIFD.FNumber: (28, 10),
             piexif.ExifIFD.FocalLength: (35, 1), piexif.ExifIFD.ISOSpeedRatings: 640,
             piexif.ExifIFD.DateTimeOriginal: b"2023:07:14 09:59:58"},
    "GPS": {piexif.GPSIFD.GPSLatitudeRef: b"N", piexif.GPSIFD.GPSLatitude: ((48, 1), (51, 1), (296, 10)),
            piexif.GPSIFD.GPSLongitudeRef: b"E", piexif.GPSIFD.GPSLongitude: ((2, 1), (17, 1), (402, 10)),
            piexif.GPSIFD.GPSAltitudeRef: 1, piexif.GPSIFD.GPSAltitude: (330, 10)},
}


def jpeg_bytes(exif=None, size=(48, 32)):
    pixels = np.random.default_rng(1).integers(0, 255, (size[1], size[0], 3), dtype=np.uint8)
    out = io.BytesIO()
    kwargs = {"exif": piexif.dump(exif)} if exif else {}
    Image.fromarray(pixels).save(out, "JPEG", **kwargs)
    return out.getvalue()


def segment(marker, payload):
    return bytes([0xFF, marker]) + struct.pack(">H", len(payload) + 2) + payload


def write(path, data):
    path.write_bytes(data)
    return str(path)


def assert_camera_values(info):
    assert info["has_exif"] is True
    assert (info["camera_make"], info["camera_model"], info["orientation"]) == ("Fujifilm", "X-T5", 8)
    assert info["date_time"] == "2023:07:14 09:59:58"
    assert info["exposure_time"] == pytest.approx(0.004)
    assert info["f_number"] == pytest.approx(2.8)
    assert (info["focal_length"], info["iso"]) == (35.0, 640)
    assert info["has_gps"] is True
    assert info["gps_lat"] == pytest.approx(48.858222, abs=1e-6)
    assert info["gps_lon"] == pytest.approx(2.294500, abs=1e-6)
    assert info["gps_alt"] == pytest.approx(33.0)  # reference 1 (below sea level) is not applied


@pytest.mark.parametrize("name", ["photo.jpg", "Фото 東京 ü.JPG"])
def test_jpeg_with_exif_and_gps_has_all_keys_in_order_with_their_types(tmp_path, name):
    info = tm.GetImageFileInfo(write(tmp_path / name, jpeg_bytes(CAMERA_EXIF)))
    assert [type(info[key]) for key in info] == TYPES and list(info) == KEYS
    assert (info["width"], info["height"], info["channels"], info["bit_depth"]) == (48, 32, 3, 8)
    assert info["format"] == "JPEG" and info["extra"] == {}
    assert_camera_values(info)


def test_exif_segment_beyond_first_64_kib_is_not_seen(tmp_path):
    plain = jpeg_bytes()
    exif_segment = segment(0xE1, piexif.dump(CAMERA_EXIF))
    padding = segment(0xE2, bytes(40000)) * 2  # ICC-like segments before the EXIF one
    near = plain[:2] + segment(0xE2, bytes(100)) + exif_segment + plain[2:]
    far = plain[:2] + padding + exif_segment + plain[2:]
    assert_camera_values(tm.GetImageFileInfo(write(tmp_path / "near.jpg", near)))
    info = tm.GetImageFileInfo(write(tmp_path / "far.jpg", far))
    assert (info["width"], info["has_exif"], info["orientation"], info["date_time"]) == (48, False, 1, "")


@pytest.mark.parametrize("name, fmt", [("fake.jpg", "JPEG"), ("noext", "Unknown")])
def test_png_bytes_are_read_by_content_whatever_the_name(tmp_path, name, fmt):
    info = tm.GetImageFileInfo(write(tmp_path / name, cv2.imencode(".png", np.zeros((7, 5, 4), np.uint8))[1].tobytes()))
    assert (info["format"], info["width"], info["height"], info["channels"]) == (fmt, 5, 7, 4)
    assert info["has_exif"] is False


@pytest.mark.parametrize("name, fmt, data", [
    ("missing.jpg", "JPEG", None), ("missing.heic", "HEIF", None), ("missing.jxl", "JXL", None),
    ("missing", "Unknown", None), ("junk.jpg", "JPEG", b"junk"), ("junk.png", "PNG", b"junk"),
    ("junk.heif", "HEIF", b"junk"), ("junk.jxl", "JXL", b"junk"), ("empty.tif", "TIFF", b""),
    ("folder.jxl", "JXL", "dir"), ("", "Unknown", "dir"), ("missing.tiff", "TIFF", None),
    ("missing.bmp", "BMP", None), ("missing.pgm", "PNM", None), ("missing.ppm", "PNM", None),
    ("missing.webp", "WebP", None)])
def test_missing_garbage_empty_files_and_folders_give_defaults(tmp_path, name, fmt, data):
    path = tmp_path / name
    if data == "dir":
        path.mkdir(exist_ok=True)
    elif data is not None:
        path.write_bytes(bytes(range(256)) * 8 if data == b"junk" else data)
    info = tm.GetImageFileInfo(str(path))
    assert list(info) == KEYS
    assert (info["width"], info["height"], info["channels"], info["bit_depth"]) == (0, 0, 0, 0)
    assert (info["format"], info["has_exif"], info["has_gps"], info["orientation"]) == (fmt, False, False, 1)


def test_text_that_is_not_utf8_is_decoded_with_replacement_characters(tmp_path):
    exif = {"0th": {piexif.ImageIFD.Make: "Café Ωmega".encode("utf-8"),      # valid UTF-8 stays
                    piexif.ImageIFD.Model: "Caméra".encode("latin-1"),        # Latin-1
                    piexif.ImageIFD.DateTime: "2024年".encode("shift_jis")}}  # Shift-JIS
    info = tm.GetImageFileInfo(write(tmp_path / "latin.jpg", jpeg_bytes(exif)))
    assert info["camera_make"] == "Café Ωmega"
    assert info["camera_model"] == "Cam\ufffdra"
    assert info["date_time"].startswith("2024") and "\ufffd" in info["date_time"]
