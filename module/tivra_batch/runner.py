"""Runs a recipe over many files with dask.distributed and collects one row per file."""
import csv
import glob
import os
import sys
import time

from .recipe import columns, load_recipe
from .worker import measure_in_worker


def expand_paths(paths):
    """The files to measure: a glob pattern ('**' matches any depth) or an iterable of patterns and
    paths, expanded and sorted, each file once."""
    patterns = [paths] if isinstance(paths, (str, os.PathLike)) else list(paths)
    found = []
    for pattern in map(str, patterns):
        matches = sorted(glob.glob(pattern, recursive=True)) if glob.has_magic(pattern) else [pattern]
        found += [m for m in matches if not os.path.isdir(m)]
    return list(dict.fromkeys(found))


def done_files(out):
    """Files already in the CSV at out, and makes the file end after its last whole row so that
    appended rows never join a row cut short by an interruption."""
    if not os.path.exists(out):
        return set()
    with open(out, "rb+") as f:
        data = f.read()
        if data and not data.endswith(b"\n"):
            f.truncate(data.rfind(b"\n") + 1)
    with open(out, newline="", encoding="utf-8") as f:
        return {row["file"] for row in csv.DictReader(f) if row.get("status")}


class ProgressBar:
    """A one-line progress bar on a stream: done/total, rate and the time still needed."""

    def __init__(self, total, stream=sys.stderr, width=30):
        self.total, self.stream, self.width, self.done = total, stream, width, 0
        self.start = time.monotonic()

    def advance(self):
        self.done += 1
        elapsed = max(time.monotonic() - self.start, 1e-9)
        rate = self.done / elapsed
        filled = self.width * self.done // max(self.total, 1)
        left = (self.total - self.done) / rate if rate else 0.0
        self.stream.write("\r[%s%s] %d/%d  %.1f files/s  %ds left " % (
            "#" * filled, "." * (self.width - filled), self.done, self.total, rate, left))
        if self.done == self.total:
            self.stream.write("\n")
        self.stream.flush()


def _local_client(workers):
    from distributed import Client, LocalCluster
    cluster = LocalCluster(n_workers=workers or os.cpu_count() or 1, threads_per_worker=1, processes=True,
                           dashboard_address=None)
    return Client(cluster), cluster


def _table(rows):
    try:
        import pandas
    except ImportError:
        return rows
    return pandas.DataFrame(rows, columns=list(rows[0]) if rows else None)


def parquet_path(out):
    """Where the Parquet copy of the CSV at out goes: beside it, with the suffix .parquet."""
    return os.path.splitext(str(out))[0] + ".parquet"


def write_parquet(out):
    """Writes every row of the CSV at out (earlier runs' rows included) to parquet_path(out) when
    pyarrow is installed, through a temporary file so a reader never sees half a table. Returns the
    Parquet path, or None without pyarrow or without a CSV."""
    try:
        import pyarrow
        from pyarrow import csv as pa_csv, parquet as pa_parquet
    except ImportError:
        return None
    if not os.path.exists(out) or os.path.getsize(out) == 0:
        return None
    with open(out, newline="", encoding="utf-8") as f:
        header: list[str] = next(csv.reader(f), [])
    # Files, reasons and the JSON lists stay text even when a column happens to look numeric.
    text = {name: pyarrow.string() for name in header if name in ("file", "status", "reason", "positions", "gaps")}
    table = pa_csv.read_csv(out, convert_options=pa_csv.ConvertOptions(column_types=text))
    target = parquet_path(out)
    pa_parquet.write_table(table, target + ".part")
    os.replace(target + ".part", target)
    return target


def run(recipe, paths, client=None, out=None, workers=None, progress=False):
    """Measures every file with the recipe (a dict or a JSON file) on a Dask cluster.

    Args:
        recipe: recipe dict or path to a recipe JSON file.
        paths: glob pattern or iterable of paths and patterns.
        client: a distributed.Client; None starts a LocalCluster of `workers` processes (default one
            per core) for this call.
        out: CSV file the rows are appended to as they arrive; files already in it are skipped. With
            pyarrow installed, the whole CSV is also written as Parquet beside it (parquet_path(out)).
        progress: draw a progress bar on standard error.

    Returns the rows measured by this call, in the order of the files: a pandas DataFrame when pandas
    is installed, else a list of dicts. Every file gives a row; failures carry status and reason.
    """
    if out is not None and str(out).lower().endswith(".parquet"):
        raise ValueError("out is the CSV file (the Parquet copy goes beside it), got %s" % out)
    recipe = load_recipe(recipe)
    files = expand_paths(paths)
    if out is not None:
        skip = done_files(out)
        files = [f for f in files if f not in skip]
    own = None
    if client is None and files:
        client, own = _local_client(workers)
    try:
        rows = _collect(client, recipe, files, out, ProgressBar(len(files)) if progress and files else None)
    finally:
        if own is not None:
            client.close()
            own.close()
    if out is not None:
        write_parquet(out)
    return _table(rows)


# The scheduler's cost per task (a few ms) is shared by up to this many images.
CHUNK_FILES = 8


def _chunks(files, workers):
    """The files in groups: at least four per worker so that the load spreads evenly, each of at most
    CHUNK_FILES files."""
    size = max(1, min(CHUNK_FILES, len(files) // (4 * max(1, workers))))
    return [files[i:i + size] for i in range(0, len(files), size)]


def _collect(client, recipe, files, out, bar):
    from distributed import as_completed

    if not files:
        return []
    names = columns(recipe)
    sink = None
    if out is not None:
        fresh = not os.path.exists(out) or os.path.getsize(out) == 0
        sink = open(out, "a", newline="", encoding="utf-8")
        writer = csv.DictWriter(sink, fieldnames=names, extrasaction="ignore")
        if fresh:
            writer.writeheader()
    rows: list = [None] * len(files)
    order = {f: i for i, f in enumerate(files)}
    try:
        chunks = _chunks(files, len(client.nthreads()))
        for future in as_completed(client.map(measure_in_worker, [recipe] * len(chunks), chunks, pure=False)):
            for row in future.result():
                rows[order[row["file"]]] = row
                if sink is not None:
                    writer.writerow(row)
                if bar is not None:
                    bar.advance()
            if sink is not None:
                sink.flush()
    finally:
        if sink is not None:
            sink.close()
    return rows
