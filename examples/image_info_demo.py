"""Makes a sample photo with EXIF and GPS data (Pillow + piexif) in a temporary
folder and prints what TivraModule.GetImageFileInfo reads from it."""
import os
import tempfile

import numpy as np
import piexif
from PIL import Image

import TivraModule

SAMPLE_EXIF = {
    "0th": {piexif.ImageIFD.Make: b"Tivra", piexif.ImageIFD.Model: b"Demo Camera 1",
            piexif.ImageIFD.Orientation: 1, piexif.ImageIFD.DateTime: b"2026:03:05 14:30:00"},
    "Exif": {piexif.ExifIFD.DateTimeOriginal: b"2026:03:05 14:29:58", piexif.ExifIFD.ExposureTime: (1, 250),
             piexif.ExifIFD.FNumber: (28, 10), piexif.ExifIFD.FocalLength: (35, 1),
             piexif.ExifIFD.ISOSpeedRatings: 200},
    "GPS": {piexif.GPSIFD.GPSLatitudeRef: b"N", piexif.GPSIFD.GPSLatitude: ((48, 1), (51, 1), (296, 10)),
            piexif.GPSIFD.GPSLongitudeRef: b"E", piexif.GPSIFD.GPSLongitude: ((2, 1), (17, 1), (402, 10)),
            piexif.GPSIFD.GPSAltitude: (330, 10)},
}


def make_sample(folder):
    """A 640 x 480 colour gradient saved as JPEG with the EXIF block above."""
    y, x = np.mgrid[0:480, 0:640]
    pixels = np.dstack([x * 255 // 639, y * 255 // 479, np.full_like(x, 128)]).astype(np.uint8)
    path = os.path.join(folder, "sample.jpg")
    Image.fromarray(pixels).save(path, "JPEG", quality=90, exif=piexif.dump(SAMPLE_EXIF))
    return path


def describe(info):
    exposure = f"1/{round(1 / info['exposure_time'])} s" if info["exposure_time"] > 0 else "-"
    rows = [
        ("Size", f"{info['width']} x {info['height']} px, {info['channels']} channels, "
                 f"{info['bit_depth']} bits per sample"),
        ("Format", info["format"]),
        ("EXIF", "yes" if info["has_exif"] else "no"),
        ("Camera", f"{info['camera_make']} {info['camera_model']}".strip() or "-"),
        ("Taken", info["date_time"] or "-"),
        ("Orientation", str(info["orientation"])),
        ("Exposure", f"{exposure}, f/{info['f_number']:g}, ISO {info['iso']}, {info['focal_length']:g} mm"),
    ]
    if info["has_gps"]:
        rows.append(("GPS", f"{info['gps_lat']:.6f}, {info['gps_lon']:.6f}, altitude {info['gps_alt']:g} m"))
    else:
        rows.append(("GPS", "none"))
    width = max(len(name) for name, _ in rows)
    return "\n".join(f"  {name:<{width}}  {value}" for name, value in rows)


def main():
    with tempfile.TemporaryDirectory(prefix="tivra-demo-") as folder:
        path = make_sample(folder)
        info = TivraModule.GetImageFileInfo(path)
        print(f"TivraModule {TivraModule.__version__}: GetImageFileInfo({os.path.basename(path)!r})")
        print(describe(info))
        print("\nThe dict itself:")
        for key, value in info.items():
            print(f"  {key!r}: {value!r}")


if __name__ == "__main__":
    main()
