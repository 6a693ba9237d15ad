"""Batch runs of a circle recipe on a small Dask cluster: figures match the drawn discs, a corrupt
file gives its own row, and a rerun after an interruption measures only what is missing."""
import csv
import importlib.util
import json
import os
import subprocess
import sys
import time

import cv2
import numpy as np
import pytest

import tivra_batch

distributed = pytest.importorskip("distributed")

RADII = [60.0, 70.5, 81.25, 90.0, 95.5, 100.0]
CENTRE = (160.3, 120.7)


def draw_disc(path, radius):
    # Supersampled 8x so the edge sits at its sub-pixel place.
    s = 8
    big = np.full((240 * s, 320 * s), 40, np.uint8)
    cv2.circle(big, (int(round((CENTRE[0] + 0.5) * s - 0.5)), int(round((CENTRE[1] + 0.5) * s - 0.5))),
               int(round(radius * s)), 200, -1)
    cv2.imwrite(str(path), cv2.resize(big, (320, 240), interpolation=cv2.INTER_AREA))


@pytest.fixture(scope="module")
def images(tmp_path_factory):
    folder = tmp_path_factory.mktemp("images")
    for i, radius in enumerate(RADII):
        (folder / ("set%d" % (i % 2))).mkdir(exist_ok=True)
        draw_disc(folder / ("set%d" % (i % 2)) / ("disc%d.png" % i), radius)
    (folder / "set0" / "corrupt.png").write_bytes(b"\x89PNG\r\n\x1a\n not really")
    recipe = tivra_batch.make_recipe("circle", ("Annulus", [CENTRE, (115, 0), (40, 0), (0, 360)], 0.0),
                                     {"calipers": 48}, pixel_size=0.01)
    tivra_batch.save_recipe(folder / "recipe.json", recipe)
    return folder


@pytest.fixture(scope="module")
def client():
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=False,
                                  dashboard_address=None) as cluster, distributed.Client(cluster) as c:
        yield c


def test_rows_match_the_drawn_discs_and_the_corrupt_file_has_its_reason(images, client):
    rows = tivra_batch.run(images / "recipe.json", str(images / "**" / "*.png"), client=client)
    rows = rows.to_dict("records") if hasattr(rows, "to_dict") else rows
    assert len(rows) == len(RADII) + 1
    by_name = {os.path.basename(r["file"]): r for r in rows}
    bad = by_name.pop("corrupt.png")
    assert bad["status"] == "unreadable" and bad["reason"] and np.isnan(float(bad["radius"] or "nan"))
    for name, row in by_name.items():
        radius = RADII[int(name[4])]
        assert row["status"] == "ok", row
        assert row["radius"] == pytest.approx(radius, abs=0.1)
        assert (row["center_x"], row["center_y"]) == pytest.approx(CENTRE, abs=0.1)
        assert row["diameter_mm"] == pytest.approx(2 * radius * 0.01, abs=0.002)


def test_a_rerun_after_an_interruption_measures_only_what_is_missing(images, client, tmp_path):
    out = tmp_path / "results.csv"
    first = tivra_batch.run(images / "recipe.json", [str(images / "set0" / "*.png")], client=client, out=out)
    # An interruption mid-row: the cut row is dropped, whole rows stay.
    with open(out, "a") as f:
        f.write(str(images / "set1" / "disc1.png") + ",ok,,160.")
    tivra_batch.run(images / "recipe.json", str(images / "**" / "*.png"), client=client, out=out)
    with open(out, newline="") as f:
        files = [row["file"] for row in csv.DictReader(f)]
    assert len(first) == 4 and sorted(files) == sorted(set(files)) and len(files) == len(RADII) + 1


@pytest.mark.parametrize("recipe, message", [
    ({"gauge": "circle", "roi": {"mode": "Line", "points": [[0, 0], [5, 5]], "angle": 0}}, "needs an annulus"),
    ({"gauge": "blob", "roi": {"mode": "Line", "points": [[0, 0], [5, 5]], "angle": 0}}, "gauge must be"),
    ({"gauge": "line", "roi": {"mode": "Square", "points": [], "angle": 0}}, "roi must be"),
    ({"gauge": "line", "roi": {"mode": "Rectangle", "points": [[0, 0], [9, 9]]}, "parameters": {"calipres": 3}},
     "unknown gauge parameters: calipres"),
])
def test_bad_recipes_are_refused_by_name(recipe, message):
    with pytest.raises(ValueError, match=message):
        tivra_batch.load_recipe(recipe)


def test_the_command_line_measures_on_an_external_scheduler(images, tmp_path):
    env = dict(os.environ, PYTHONPATH=os.pathsep.join(sys.path))
    address_file = tmp_path / "scheduler.json"
    started = [subprocess.Popen([sys.executable, "-m", "distributed.cli.dask_scheduler", "--host", "127.0.0.1",
                                 "--port", "0", "--no-dashboard", "--scheduler-file", str(address_file)],
                                env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)]
    try:
        # Generous bounds: under a loaded machine, starting Dask processes takes tens of seconds.
        deadline = time.monotonic() + 60
        while not (address_file.exists() and address_file.stat().st_size) and time.monotonic() < deadline:
            assert started[0].poll() is None, "the scheduler exited"
            time.sleep(0.1)
        address = json.loads(address_file.read_text())["address"]
        started.append(subprocess.Popen([sys.executable, "-m", "distributed.cli.dask_worker", address, "--no-nanny",
                                         "--nthreads", "1", "--no-dashboard"],
                                        env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        out = tmp_path / "results.csv"
        command = [sys.executable, "-m", "tivra_batch", str(images / "recipe.json"), str(images / "**" / "*.png"),
                   "--out", str(out), "--scheduler", address]
        proc = subprocess.run(command, capture_output=True, text=True, timeout=120, env=env)
    finally:
        for process in reversed(started):
            process.kill()
            process.wait()
    assert proc.returncode == 0, proc.stderr
    with open(out, newline="") as f:
        statuses = sorted(row["status"] for row in csv.DictReader(f))
    assert statuses == ["ok"] * len(RADII) + ["unreadable"]
    # The Parquet copy exists exactly when pyarrow does.
    assert (tmp_path / "results.parquet").exists() == (importlib.util.find_spec("pyarrow") is not None)
    # A rerun of the command line resumes from the results: nothing is left to measure.
    proc = subprocess.run(command[:-2] + ["--workers", "1"], capture_output=True, text=True, timeout=60, env=env)
    assert proc.returncode == 0 and proc.stdout.startswith("0 measured"), proc.stderr


@pytest.mark.parametrize("count, workers", [(0, 2), (7, 2), (200, 2), (1000, 0)])
def test_files_go_to_workers_in_groups_without_loss(count, workers):
    from tivra_batch import runner
    files = ["f%d.png" % i for i in range(count)]
    chunks = runner._chunks(files, workers)
    assert [f for chunk in chunks for f in chunk] == files
    assert all(0 < len(chunk) <= runner.CHUNK_FILES for chunk in chunks)
    assert len(chunks) >= min(count, 4 * workers)
