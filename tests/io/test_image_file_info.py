"""GetImageFileInfo on real files made by independent producers (Pillow, piexif,
OpenCV, libheif's heif-enc, libjxl's cjxl) and on damaged or hand-built files."""
import io
import struct
import subprocess
import zlib

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


def png_bytes(array):
    ok, data = cv2.imencode(".png", array)
    return data.tobytes()


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


def assert_neutral(info, fmt):
    assert list(info) == KEYS
    assert (info["width"], info["height"], info["channels"], info["bit_depth"]) == (0, 0, 0, 0)
    assert (info["format"], info["has_exif"], info["has_gps"], info["orientation"]) == (fmt, False, False, 1)


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
    info = tm.GetImageFileInfo(write(tmp_path / name, png_bytes(np.zeros((7, 5, 4), np.uint8))))
    assert (info["format"], info["width"], info["height"], info["channels"]) == (fmt, 5, 7, 4)
    assert info["has_exif"] is False


def heif_from(tmp_path, source_name, source_bytes, *args):
    source = write(tmp_path / source_name, source_bytes)
    target = str(tmp_path / (source_name.rsplit(".", 1)[0] + ".heic"))
    subprocess.run(["heif-enc", *args, source, "-o", target], check=True, capture_output=True)
    return target


def test_heif_with_alpha_and_ten_bit_luma(tmp_path):
    rgba8 = np.random.default_rng(2).integers(0, 255, (24, 40, 4), dtype=np.uint8)
    info = tm.GetImageFileInfo(heif_from(tmp_path, "alpha.png", png_bytes(rgba8)))
    assert (info["format"], info["width"], info["height"], info["channels"], info["bit_depth"]) == \
        ("HEIF", 40, 24, 4, 8)
    rgba16 = rgba8.astype(np.uint16) * 257
    info = tm.GetImageFileInfo(heif_from(tmp_path, "deep.png", png_bytes(rgba16), "-b", "10"))
    assert (info["channels"], info["bit_depth"]) == (4, 10)
    assert info["has_exif"] is False


def test_heif_exif_block_is_parsed(tmp_path):
    info = tm.GetImageFileInfo(heif_from(tmp_path, "camera.jpg", jpeg_bytes(CAMERA_EXIF)))
    assert (info["format"], info["width"], info["height"], info["channels"]) == ("HEIF", 48, 32, 3)
    assert_camera_values(info)


def jxl_from(tmp_path, name, image):
    source = str(tmp_path / name)
    image.save(source)
    target = source.rsplit(".", 1)[0] + ".jxl"
    subprocess.run(["cjxl", source, target], check=True, capture_output=True)
    return target


@pytest.mark.parametrize("mode, shape", [("LA", (9, 13, 2)), ("RGB", (5, 3, 3))])
def test_jxl_basic_information(tmp_path, mode, shape):
    info = tm.GetImageFileInfo(jxl_from(tmp_path, "a.png", Image.fromarray(np.zeros(shape, np.uint8), mode)))
    assert (info["format"], info["width"], info["height"], info["channels"], info["bit_depth"]) == \
        ("JXL", shape[1], shape[0], shape[2], 8)
    assert info["has_exif"] is False


def jxl_box(kind, payload):
    return struct.pack(">I", 8 + len(payload)) + kind + payload


def test_jxl_information_found_far_into_large_files(tmp_path):
    noise = np.random.default_rng(5).integers(0, 256, (300, 400, 3), dtype=np.uint8)
    path = jxl_from(tmp_path, "noise.png", Image.fromarray(noise, "RGB"))
    codestream = open(path, "rb").read()
    assert len(codestream) > 65536 and codestream[:2] == b"\xff\x0a"
    info = tm.GetImageFileInfo(path)
    assert (info["width"], info["height"], info["channels"]) == (400, 300, 3)
    # A container whose codestream follows 100 KiB of XML metadata.
    container = (jxl_box(b"JXL ", b"\r\n\x87\n") + jxl_box(b"ftyp", b"jxl \0\0\0\0jxl ")
                 + jxl_box(b"xml ", b"<x>" + b" " * 100000 + b"</x>") + jxl_box(b"jxlc", codestream))
    info = tm.GetImageFileInfo(write(tmp_path / "boxed.jxl", container))
    assert (info["width"], info["height"], info["channels"], info["bit_depth"]) == (400, 300, 3, 8)


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
    assert_neutral(tm.GetImageFileInfo(str(path)), fmt)


def test_text_that_is_not_utf8_is_decoded_with_replacement_characters(tmp_path):
    exif = {"0th": {piexif.ImageIFD.Make: "Café Ωmega".encode("utf-8"),      # valid UTF-8 stays
                    piexif.ImageIFD.Model: "Caméra".encode("latin-1"),        # Latin-1
                    piexif.ImageIFD.DateTime: "2024年".encode("shift_jis")}}  # Shift-JIS
    info = tm.GetImageFileInfo(write(tmp_path / "latin.jpg", jpeg_bytes(exif)))
    assert info["camera_make"] == "Café Ωmega"
    assert info["camera_model"] == "Cam\ufffdra"
    assert info["date_time"].startswith("2024") and "\ufffd" in info["date_time"]


def decoded_layout(path):
    try:
        image = cv2.imread(path, cv2.IMREAD_UNCHANGED)
    except cv2.error:  # beyond OpenCV's pixel limit
        image = None
    if image is None:
        return (0, 0, 0, 0)
    return (image.shape[1], image.shape[0], 1 if image.ndim == 2 else image.shape[2], 8 * image.itemsize)


PIXELS = np.random.default_rng(5).integers(0, 255, (30, 50, 3), dtype=np.uint8)


def pillow_bytes(image, fmt, **options):
    out = io.BytesIO()
    image.save(out, fmt, **options)
    return out.getvalue()


def cv2_bytes(extension, array, params=()):
    ok, data = cv2.imencode(extension, array, list(params))
    return data.tobytes()


def png_chunk(kind, payload):
    return struct.pack(">I", len(payload)) + kind + payload + struct.pack(">I", zlib.crc32(kind + payload))


def jpeg_corpus():
    files = []
    for mode in ("L", "RGB", "CMYK"):
        for progressive in (False, True):
            for orientation in range(1, 9):
                exif = piexif.dump({"0th": {piexif.ImageIFD.Orientation: orientation}})
                files.append(pillow_bytes(Image.fromarray(PIXELS).convert(mode), "JPEG", progressive=progressive,
                                          exif=exif))
    files.append(cv2_bytes(".jpg", np.dstack([PIXELS, PIXELS[:, :, :1]])))
    whole = jpeg_bytes(size=(50, 30))
    sof, sos = whole.index(b"\xff\xc0"), whole.index(b"\xff\xda")
    lying = bytearray(whole)
    lying[sof + 5:sof + 9] = struct.pack(">HH", 60000, 60000)  # 3.6 gigapixels
    files += [whole[:n] for n in (sof + 6, sos + 6, sos + 14, sos + 40)] + [bytes(lying)]
    return "jpg", files


def png_corpus():
    rgb = Image.fromarray(PIXELS)
    big_ihdr = png_chunk(b"IHDR", struct.pack(">IIBBBBB", 100000, 100000, 8, 2, 0, 0, 0))
    return "png", [cv2_bytes(".png", PIXELS), cv2_bytes(".png", PIXELS.astype(np.uint16) * 257),
                   cv2_bytes(".png", PIXELS[:, :, 0].astype(np.uint16)), pillow_bytes(rgb.convert("P"), "PNG"),
                   pillow_bytes(rgb.convert("P"), "PNG", transparency=3),
                   pillow_bytes(rgb, "PNG", transparency=(1, 2, 3)), pillow_bytes(rgb.convert("LA"), "PNG"),
                   pillow_bytes(rgb.convert("L"), "PNG", transparency=5), pillow_bytes(rgb.convert("1"), "PNG"),
                   b"\x89PNG\r\n\x1a\n" + big_ihdr + png_chunk(b"IDAT", zlib.compress(b"\0" * 64))
                   + png_chunk(b"IEND", b"")]


def tiff_corpus():
    rgb = Image.fromarray(PIXELS)
    return "tif", [cv2_bytes(".tif", PIXELS), cv2_bytes(".tif", PIXELS.astype(np.uint16) * 257),
                   cv2_bytes(".tif", PIXELS[:, :, 0].astype(np.float32)), cv2_bytes(".tif", PIXELS.astype(np.float32)),
                   pillow_bytes(rgb, "TIFF"), pillow_bytes(rgb, "TIFF", compression="tiff_lzw"),
                   pillow_bytes(rgb.convert("RGBA"), "TIFF", compression="tiff_adobe_deflate"),
                   pillow_bytes(Image.fromarray(PIXELS[:, :, 0].astype(np.uint16) * 200), "TIFF"), pillow_bytes(rgb.convert("P"), "TIFF"),
                   pillow_bytes(rgb.convert("1"), "TIFF"), pillow_bytes(rgb.convert("CMYK"), "TIFF")]


def other_corpus(extension):
    rgb = Image.fromarray(PIXELS)
    if extension == "bmp":
        return [pillow_bytes(rgb.convert(mode), "BMP") for mode in ("RGB", "L", "P", "1", "RGBA")]
    if extension == "webp":
        bgra = np.dstack([PIXELS, PIXELS[:, :, :1]])
        return [pillow_bytes(rgb, "WEBP"), pillow_bytes(rgb, "WEBP", lossless=True), cv2_bytes(".webp", bgra),
                cv2_bytes(".webp", bgra, (cv2.IMWRITE_WEBP_QUALITY, 101)), pillow_bytes(rgb, "WEBP", exif=b"Exif")]
    return [cv2_bytes(".pgm", PIXELS[:, :, 0]), cv2_bytes(".pgm", PIXELS[:, :, 0].astype(np.uint16) * 257),
            cv2_bytes(".ppm", PIXELS), pillow_bytes(rgb.convert("1"), "PPM"),
            b"P5\n# made by a scanner\n50 30\n#depth\n255\n" + PIXELS[:, :, 0].tobytes(),
            cv2_bytes(".ppm", PIXELS, (cv2.IMWRITE_PXM_BINARY, 0))]


CORPORA = {"jpeg": jpeg_corpus, "png": png_corpus, "tiff": tiff_corpus, "bmp": lambda: ("bmp", other_corpus("bmp")),
           "webp": lambda: ("webp", other_corpus("webp")), "pnm": lambda: ("pnm", other_corpus("pnm"))}


@pytest.mark.parametrize("family", CORPORA)
def test_size_from_the_header_is_what_decoding_gives(tmp_path, family):
    extension, files = CORPORA[family]()
    cut = [data[:n] for data in files for n in (len(data) - 1, len(data) // 2, 40)]
    for index, data in enumerate(files + cut):
        path = write(tmp_path / f"corpus{index}.{extension}", data)
        info = tm.GetImageFileInfo(path)
        assert (info["width"], info["height"], info["channels"], info["bit_depth"]) == decoded_layout(path), index
