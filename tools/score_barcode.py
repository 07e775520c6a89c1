#!/usr/bin/env python3
"""Scores `idut barcode --json` output against ground truth.

    idut barcode --json DIR/*.pgm > found.jsonl
    tools/score_barcode.py found.jsonl [more.jsonl ...]     (or read from standard input)

The truth of IMAGE.pgm is IMAGE.json beside it: {"barcodes": [{"barAngle": degrees, ...}]}
for a scene with a barcode across its middle. A scene whose truth has no "barcodes" (the
ring scenes, for example) shows none: a direction measured there is a false barcode.

Per set (folder): images, barcodes, found (a direction measured), within 2 degrees of the
truth, the median and largest direction error (degrees, modulo 180), false barcodes per
image without one, median milliseconds.
"""

import argparse
import json
import os
import statistics
import sys


def direction_error(found, truth):
    d = abs(found - truth) % 180.0
    return min(d, 180.0 - d)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("results", nargs="*", type=argparse.FileType("r"),
                        help="files of `idut barcode --json` lines (default: standard input)")
    args = parser.parse_args()
    sets = {}
    for stream in args.results or [sys.stdin]:
        for line in stream:
            if not line.strip():
                continue
            r = json.loads(line)
            with open(os.path.splitext(r["image"])[0] + ".json") as f:
                truth = json.load(f).get("barcodes", [])
            s = sets.setdefault(os.path.basename(os.path.dirname(os.path.abspath(r["image"]))),
                                {"images": 0, "barcodes": 0, "found": 0, "errors": [],
                                 "empty": 0, "false": 0, "ms": []})
            s["images"] += 1
            s["ms"].append(r["ms"])
            if not truth:
                s["empty"] += 1
                s["false"] += r["found"]
                continue
            s["barcodes"] += 1
            if r["found"]:
                s["found"] += 1
                s["errors"].append(direction_error(r["barAngle"], truth[0]["barAngle"]))
    if not sets:
        sys.exit("no results to score")
    print(f"{'set':<12} {'images':>6} {'barcodes':>8} {'found':>13} {'within 2 deg':>13} "
          f"{'median err':>10} {'max err':>8} {'false/image':>11} {'median ms':>9}")
    for name in sorted(sets):
        s = sets[name]
        n = s["barcodes"]
        def share(count):
            return f"{count} ({100.0 * count / n:.1f}%)" if n else "-"
        errors = s["errors"]
        within = sum(e <= 2.0 for e in errors)
        median = f"{statistics.median(errors):.2f}" if errors else "-"
        largest = f"{max(errors):.2f}" if errors else "-"
        false = f"{s['false'] / s['empty']:.2f}" if s["empty"] else "-"
        print(f"{name:<12} {s['images']:>6} {n:>8} {share(s['found']):>13} {share(within):>13} "
              f"{median:>10} {largest:>8} {false:>11} {statistics.median(s['ms']):>9.2f}")


if __name__ == "__main__":
    main()
