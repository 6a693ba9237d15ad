"""python3 -m tivra_batch RECIPE.json 'images/**/*.jpg' --out results.csv [--scheduler tcp://HOST:8786]"""
import argparse
import os
import sys

from .runner import parquet_path, run


def main(argv=None):
    parser = argparse.ArgumentParser(prog="python3 -m tivra_batch",
                                     description="Run a gauge recipe over image files, one CSV row per file.")
    parser.add_argument("recipe", help="recipe JSON (the viewer's File -> Save recipe)")
    parser.add_argument("images", nargs="+", help="image files or glob patterns ('**' matches any depth; quote it)")
    parser.add_argument("--out", required=True, help="CSV file; a rerun skips the files already in it "
                                                      "(with pyarrow installed, a Parquet copy is written beside it)")
    parser.add_argument("--scheduler", help="address of a running Dask scheduler, e.g. tcp://HOST:8786")
    parser.add_argument("--workers", type=int, help="local worker processes (default: one per core)")
    args = parser.parse_args(argv)
    if args.workers is not None and args.workers < 1:
        parser.error("--workers must be at least 1")
    client = None
    if args.scheduler:
        from distributed import Client
        client = Client(args.scheduler)
    try:
        rows = run(args.recipe, args.images, client=client, out=args.out, workers=args.workers, progress=True)
    except (OSError, ValueError) as error:
        print("tivra_batch: %s" % error, file=sys.stderr)
        return 2
    finally:
        if client is not None:
            client.close()
    statuses = [row["status"] for row in (rows.to_dict("records") if hasattr(rows, "to_dict") else rows)]
    parquet = parquet_path(args.out)
    print("%d measured (%d ok, %d failed or unreadable) -> %s%s" % (
        len(statuses), statuses.count("ok"), len(statuses) - statuses.count("ok"), args.out,
        " and " + parquet if os.path.exists(parquet) else ""))
    return 0


if __name__ == "__main__":
    sys.exit(main())
