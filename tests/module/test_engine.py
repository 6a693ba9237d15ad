"""TivraEngine against Debian's own OpenCV bindings on the same pixels."""
import concurrent.futures
import threading
import time

import cv2
import numpy as np
import pytest

import TivraModule as tm


def picture(height, width, channels=3, seed=1):
    rng = np.random.default_rng(seed)
    shape = (height, width) if channels == 1 else (height, width, channels)
    noise = rng.integers(0, 256, shape, dtype=np.uint8)
    return cv2.GaussianBlur(noise, (7, 7), 0)  # edges of every strength for Canny


def engine_with(image):
    engine = tm.TivraEngine()
    engine.SetMat(image)
    return engine


@pytest.mark.parametrize("emptied", [None, lambda e: e.Clear(), lambda e: e.SetMat(np.zeros((0, 5), np.uint8))],
                         ids=["fresh", "cleared", "set empty"])
def test_an_empty_engine_gives_neutral_results(emptied):
    engine = tm.TivraEngine()
    if emptied:
        engine.SetMat(picture(48, 64))
        assert engine.HasImage() and engine.GetImageSize() == (48, 64, 3)
        emptied(engine)
    assert (engine.HasImage(), engine.GetImageSize(), engine.GetMat().shape, engine.Canny(10, 20).shape) == (
        False, (0, 0, 0), (0,), (0,))
    engine.Resize(10, 10)
    engine.GaussianBlur(5)
    engine.ConvertToGray()
    assert not engine.HasImage()
    assert not engine.SaveImage("nothing.png")


# (channels, the engine's operation, what Debian's cv2 gives for it)
MATCHES_CV2 = [
    (3, lambda e: e.ConvertToGray(), lambda i: cv2.cvtColor(i, cv2.COLOR_BGR2GRAY)),
    (4, lambda e: e.ConvertToGray(), lambda i: cv2.cvtColor(i, cv2.COLOR_BGRA2GRAY)),
    (1, lambda e: e.ConvertToGray(), lambda i: i),  # a gray image stays as it is
] + [(3, lambda e, f=f: e.Resize(0, 100, f), lambda i, f=f: cv2.resize(i, (133, 100), interpolation=f))
     for f in (tm.INTER_NEAREST, tm.INTER_LINEAR, tm.INTER_AREA, tm.INTER_CUBIC, tm.INTER_LANCZOS4)] + [
    (3, lambda e: e.Resize(0, 0) or e.Resize(-1, -5), lambda i: i),
    (3, lambda e: e.Resize(320, 0), lambda i: cv2.resize(i, (320, 240))),
    (3, lambda e: e.Resize(width=17, height=9), lambda i: cv2.resize(i, (17, 9))),
] + [(channels, operation, expected) for channels in (1, 3, 4) for operation, expected in (
    # An even size is made odd: 4 is a 5 x 5 blur; size 0 with a sigma is a 1 x 1 kernel.
    (lambda e: e.GaussianBlur(4), lambda i: cv2.GaussianBlur(i, (5, 5), 0)),
    (lambda e: e.GaussianBlur(6, 2.5), lambda i: cv2.GaussianBlur(i, (7, 7), 2.5)),
    (lambda e: e.GaussianBlur(0, 1.5), lambda i: i))]


@pytest.mark.parametrize("channels, operation, expected", MATCHES_CV2)
def test_operations_match_cv2(channels, operation, expected):
    image = picture(480, 640, channels, seed=5)
    engine = engine_with(image)
    operation(engine)
    np.testing.assert_array_equal(engine.GetMat(), expected(image))


@pytest.mark.parametrize("height, width", [(48, 64), (2000, 1600)])  # the second is released off the thread
def test_read_only_view_shares_the_pixels_and_outlives_the_image(height, width):
    image = picture(height, width)
    engine = engine_with(image)
    view = engine.GetMat(copy=False)
    assert np.shares_memory(view, engine.GetMat(copy=False)) and not view.flags.writeable
    with pytest.raises(ValueError):
        view[0, 0] = 0
    engine.Resize(width // 2, 0)
    np.testing.assert_array_equal(engine.GetMat(copy=False), cv2.resize(image, (width // 2, height // 2)))
    engine.GaussianBlur(5)
    engine.SetMat(picture(height, width, seed=2))
    del engine
    np.testing.assert_array_equal(view, image)


def test_opencv_errors_reach_python_and_keep_the_image():
    image = picture(480, 640)
    engine = engine_with(image)
    for failing in (lambda: engine.Resize(1, 0), lambda: engine.Resize(10, 10, 77), lambda: engine.GaussianBlur(-4)):
        with pytest.raises(RuntimeError):  # 0.75 rows, no such interpolation, a negative kernel
            failing()
    np.testing.assert_array_equal(engine.GetMat(), image)
    with pytest.raises(TypeError):
        engine.Resize(1.5, 2)


@pytest.mark.parametrize("channels, code", [(1, None), (3, cv2.COLOR_BGR2GRAY), (4, cv2.COLOR_BGRA2GRAY)])
def test_canny_matches_cv2_with_l1_norm(channels, code):
    image = picture(120, 160, channels, seed=9)
    engine = engine_with(image)
    edges = engine.Canny(threshold1=20, threshold2=60)
    gray = image if code is None else cv2.cvtColor(image, code)
    expected = cv2.Canny(gray, 20, 60, apertureSize=3, L2gradient=False)
    np.testing.assert_array_equal(edges, expected, strict=True)
    assert not np.array_equal(expected, cv2.Canny(gray, 20, 60, apertureSize=3, L2gradient=True))


@pytest.mark.parametrize("name", ["写真.png", "😀🎉.png", "résumé naïve.jpg", "Ünïcödé.bmp"])
def test_load_and_save_unicode_names(tmp_path, name):
    path = tmp_path / name
    cv2.imencode(path.suffix, picture(40, 50))[1].tofile(path)
    engine = tm.TivraEngine()
    assert engine.LoadImage(str(path), tm.IMREAD_GRAYSCALE)
    np.testing.assert_array_equal(engine.GetMat(), cv2.imdecode(np.fromfile(path, np.uint8), cv2.IMREAD_GRAYSCALE))
    assert engine.LoadImage(path=str(path), flags=tm.IMREAD_UNCHANGED)
    np.testing.assert_array_equal(engine.GetMat(), cv2.imdecode(np.fromfile(path, np.uint8), cv2.IMREAD_COLOR))
    copy = tmp_path / ("copy " + name)
    assert engine.SaveImage(str(copy))
    assert copy.read_bytes() == cv2.imencode(copy.suffix, engine.GetMat())[1].tobytes()


def test_one_engine_shared_by_threads_stays_consistent():
    engine = engine_with(picture(200, 300))

    def hammer(seed):
        for i in range(30):
            engine.SetMat(picture(100 + seed, 150, seed=seed))
            engine.GaussianBlur(3)
            engine.Resize(0, 50 + i)
            height, width, channels = engine.GetImageSize()
            assert channels == 3 and height > 0 and width > 0
            engine.Canny(10, 30)

    with concurrent.futures.ThreadPoolExecutor(3) as pool:
        list(pool.map(hammer, range(3)))  # raises a thread's error here


@pytest.mark.parametrize("waiting_call", ["HasImage", "GetMat", "GetImageSize", "Clear"])
def test_a_call_waiting_for_a_busy_engine_lets_other_threads_run(waiting_call):
    engine = engine_with(picture(1500, 2000, seed=3))
    blurring = threading.Thread(target=engine.GaussianBlur, args=(301,))
    state = {"calling": False, "returned": False, "waited": 0.0}

    def call_while_blurring():
        state["calling"] = True
        start = time.monotonic()
        getattr(engine, waiting_call)()
        state["waited"] = time.monotonic() - start
        state["returned"] = True

    waiting = threading.Thread(target=call_while_blurring)
    blurring.start()
    time.sleep(0.05)  # the blur holds the engine now
    waiting.start()
    seen_waiting = []  # a pure-Python ticker: when it ran while the call waited
    while blurring.is_alive() or not state["returned"]:
        if state["calling"] and not state["returned"]:
            seen_waiting.append(time.monotonic())
    waiting.join()
    # A call waiting with the interpreter lock held would freeze this thread
    # for the rest of the blur; a released lock lets it tick through the wait.
    span = seen_waiting[-1] - seen_waiting[0] if len(seen_waiting) > 1 else 0.0
    assert state["waited"] > 0.02 and span > 0.5 * state["waited"]
