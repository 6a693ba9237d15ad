"""What runs on a Dask worker: the allocator setting for large images, then the measurement of one file.

Dask's nanny starts every worker with MALLOC_TRIM_THRESHOLD_=65536, which makes glibc hand freed memory
back to the system at once and, with it, serve every large block from fresh pages. A 12 MP image passes
through several such blocks (decode, engine, NumPy copy), so each image paid for tens of thousands of page
faults and took twice as long in a worker as in a plain loop. Measuring workers keep large blocks on the
heap instead: up to 256 MiB of freed memory stays with the process for the next image.
"""
import ctypes
import sys

from .recipe import measure_file

_M_TRIM_THRESHOLD = -1
_M_MMAP_THRESHOLD = -3
KEEP_BYTES = 256 << 20
_tuned = False


def keep_image_memory():
    """Let glibc keep freed image-sized blocks (at most KEEP_BYTES) instead of returning them, once per
    process. Does nothing on a C library without mallopt."""
    global _tuned
    if _tuned:
        return
    _tuned = True
    if not sys.platform.startswith("linux"):
        return
    try:
        mallopt = ctypes.CDLL("libc.so.6").mallopt
    except (OSError, AttributeError):
        return
    mallopt(_M_MMAP_THRESHOLD, KEEP_BYTES // 2)
    mallopt(_M_TRIM_THRESHOLD, KEEP_BYTES)


def measure_in_worker(recipe, paths):
    """The rows of measure_file for a group of files, with the worker's allocator set for large
    images first."""
    keep_image_memory()
    return [measure_file(recipe, path) for path in paths]
