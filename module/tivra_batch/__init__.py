"""Batch measurement: one gauge recipe run over many images, on this machine or a Dask cluster.

    import tivra_batch
    table = tivra_batch.run("recipe.json", "images/**/*.jpg")

A recipe (JSON, written by the viewer's File -> Save recipe or by save_recipe) holds the gauge
kind, the ROI as (mode, points, angle), the gauge parameters and the pixel size. Each image gives
one row: file, status ("ok", "failed" or "unreadable"), reason and every figure of the gauge.
The command line, `python3 -m tivra_batch RECIPE.json 'images/**/*.jpg' --out results.csv`,
writes the rows to CSV as they arrive and skips files already in the output when rerun.
"""
from .recipe import columns, load_recipe, make_recipe, measure_file, measure_image, save_recipe
from .runner import expand_paths, run

__all__ = ["columns", "expand_paths", "load_recipe", "make_recipe", "measure_file", "measure_image", "run",
           "save_recipe"]
