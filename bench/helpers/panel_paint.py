"""What the panel paint benchmarks share: the client size, test images, event pumping, zoom steps and a
panel showing an image, timed by the median of repeated frames."""
import statistics
import time

import numpy as np

CLIENT = (1600, 1000)


def image_of(megapixels):
    """A 4:3 BGR image with structure everywhere (tiles of noise), made without a huge random draw."""
    height = int((megapixels * 1e6 * 3 / 4) ** 0.5)
    width = int(megapixels * 1e6 / height)
    tile = np.random.default_rng(7).integers(0, 256, (256, 256, 3), dtype=np.uint8)
    reps = (height // 256 + 1, width // 256 + 1, 1)
    return np.ascontiguousarray(np.tile(tile, reps)[:height, :width])


def pump(app, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        app.Yield(True)
        time.sleep(0.005)


def median_ms(action, repeats, clock=time.perf_counter):
    samples = []
    for _ in range(repeats):
        start = clock()
        action()
        samples.append((clock() - start) * 1000.0)
    return statistics.median(samples)


def zoom_to(panel, label):
    if label == "fit":
        panel.ZoomToFit()
    else:
        panel.SetOriginal()
        while panel.GetZoomFactor() < float(label):
            panel.ZoomIn()


def panel_showing(parent, megapixels):
    """A TivraROIAdvPanel of the client size showing a new image: (panel, its wx window, (width, height))."""
    import TivraModule as tm

    panel = tm.TivraROIAdvPanel(parent.GetHandle(), -1, 0, 0, *CLIENT)
    window = next(c for c in parent.GetChildren() if c.GetName() == "TivraROIAdvPanel")
    picture = image_of(megapixels)
    panel.SetMat(picture)
    return panel, window, (picture.shape[1], picture.shape[0])
