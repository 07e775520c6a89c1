#!/usr/bin/env python3
"""Scores `idut locate --json` output against ground truth.

    idut locate --json DIR/*.pgm > found.jsonl
    tools/score_locate.py found.jsonl [more.jsonl ...]     (or read from standard input)

The truth of IMAGE.pgm is IMAGE.json beside it: {"symbols": [{"corners": [[x, y] x 4],
"module_px": m}, ...]}. A found quadrilateral matches a truth symbol when each of its
corners lies within max(3 px, 0.6 module) of a truth corner under the best cyclic
matching of the corners (either direction round the perimeter). Found and truth symbols
are paired one to one, closest pairs first; a found quadrilateral left without a partner
(a duplicate included) is a false symbol.

Images are grouped into sets by their folder. Per set: images, truth symbols, detected,
the L found (its corner and the two ends of its legs match; the opposite corner, which
the finder completes as a parallelogram and perspective moves, is not compared), false
symbols per image, median milliseconds, and the right counts: detected symbols whose
module counts (the found "rows" x "cols") are the truth's "size" (rows x columns), as a
share of the detected symbols whose truth gives a size. Images without a truth file (real photos
that no reader decoded: they show symbols, but where is not known) count in neither
detection nor false symbols; they are listed as "no truth" with how many of them had
something found.
"""

import argparse
import json
import math
import os
import statistics
import sys


def corner_distance(found, truth, corners=range(4)):
    """The largest distance of the given found corners to their truth corners under the
    best cyclic matching, both directions."""
    best = math.inf
    for order in (truth, truth[::-1]):
        for shift in range(4):
            worst = max(math.dist(found[i], order[(i + shift) % 4]) for i in corners)
            best = min(best, worst)
    return best


# Perimeter positions of the L's corner and the ends of its legs in a found quadrilateral.
L_CORNERS = (0, 1, 3)


def tolerance(symbol):
    return max(3.0, 0.6 * symbol.get("module_px", 0.0))


def match(found, truths, corners=range(4)):
    """Pairs found quadrilaterals with truth symbols, comparing the given corners; returns
    ({matched truth index: its found index}, unmatched found indices)."""
    pairs = []
    for f, quad in enumerate(found):
        for t, symbol in enumerate(truths):
            d = corner_distance(quad["corners"], symbol["corners"], corners)
            if d <= tolerance(symbol):
                pairs.append((d, f, t))
    pairs.sort()
    used_found, used_truth = set(), {}
    for _, f, t in pairs:
        if f not in used_found and t not in used_truth:
            used_found.add(f)
            used_truth[t] = f
    return used_truth, [f for f in range(len(found)) if f not in used_found]


def right_counts(found, truth):
    """Whether the found symbol's module counts are the truth's size; None without a size."""
    if "size" not in truth:
        return None
    rows, cols = (int(n) for n in truth["size"].split("x"))
    return found.get("rows") == rows and found.get("cols") == cols


def read_results(streams):
    results = []
    for stream in streams:
        for number, line in enumerate(stream, 1):
            line = line.strip()
            if not line:
                continue
            try:
                results.append(json.loads(line))
            except json.JSONDecodeError as error:
                sys.exit(f"{stream.name}:{number}: not a JSON line: {error}")
    return results


def truth_of(image):
    path = os.path.splitext(image)[0] + ".json"
    if not os.path.exists(path):
        return None
    with open(path) as f:
        return json.load(f)["symbols"]


def set_names(images):
    folders = [os.path.dirname(os.path.abspath(i)) for i in images]
    common = os.path.commonpath(folders) if folders else ""
    names = {}
    for image, folder in zip(images, folders):
        name = os.path.relpath(folder, common)
        names[image] = os.path.basename(folder) if name == "." else name
    return names


class SetScore:
    def __init__(self):
        self.images = self.symbols = self.detected = self.l_found = self.false = 0
        self.untruthed = self.untruthed_found = 0
        self.sized = self.right = 0
        self.ms = []

    def row(self, name):
        scored = self.images - self.untruthed
        def share(count):
            return f"{count} ({100.0 * count / self.symbols:.1f}%)" if self.symbols else "-"
        false = f"{self.false / scored:.2f}" if scored else "-"
        median = f"{statistics.median(self.ms):.2f}" if self.ms else "-"
        no_truth = f"{self.untruthed} ({self.untruthed_found} found)" if self.untruthed else "-"
        right = f"{self.right} ({100.0 * self.right / self.sized:.1f}%)" if self.sized else "-"
        return f"{name:<16} {self.images:>6} {self.symbols:>7} {share(self.detected):>13} " \
               f"{share(self.l_found):>13} {right:>13} {false:>11} {median:>9}   {no_truth}"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("results", nargs="*", type=argparse.FileType("r"),
                        help="files of `idut locate --json` lines (default: standard input)")
    parser.add_argument("--misses", action="store_true",
                        help="also list every missed truth symbol and every false symbol")
    args = parser.parse_args()
    results = read_results(args.results or [sys.stdin])
    if not results:
        sys.exit("no results to score")

    names = set_names([r["image"] for r in results])
    sets = {}
    for r in results:
        score = sets.setdefault(names[r["image"]], SetScore())
        score.images += 1
        score.ms.append(r["ms"])
        truths = truth_of(r["image"])
        if truths is None:
            score.untruthed += 1
            score.untruthed_found += bool(r["found"])
            continue
        detected, false = match(r["found"], truths)
        score.symbols += len(truths)
        score.detected += len(detected)
        score.false += len(false)
        score.l_found += len(match(r["found"], truths, L_CORNERS)[0])
        for t, f in detected.items():
            right = right_counts(r["found"][f], truths[t])
            if right is None:
                continue
            score.sized += 1
            score.right += right
            if args.misses and not right:
                found = r["found"][f]
                print(f"counts  {r['image']}: {found.get('rows')}x{found.get('cols')} "
                      f"for {truths[t]['size']}")
        if args.misses:
            for t, symbol in enumerate(truths):
                if t not in detected:
                    print(f"missed  {r['image']}: {symbol['corners']}")
            for f in false:
                found = r["found"][f]
                print(f"false   {r['image']}: score {found['score']} {found['corners']}")

    print(f"{'set':<16} {'images':>6} {'symbols':>7} {'detected':>13} {'L found':>13} "
          f"{'right counts':>13} {'false/image':>11} {'median ms':>9}   no truth")
    total = SetScore()
    for name in sorted(sets):
        s = sets[name]
        print(s.row(name))
        for field in ("images", "symbols", "detected", "l_found", "false", "untruthed",
                      "untruthed_found", "sized", "right"):
            setattr(total, field, getattr(total, field) + getattr(s, field))
        total.ms += s.ms
    if len(sets) > 1:
        print(total.row("all"))


if __name__ == "__main__":
    main()
