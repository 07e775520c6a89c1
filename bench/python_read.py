#!/usr/bin/env python3
"""Cost of reading through Python: the median time of idut.read on a 640 x 480 image
against the same read from C++, timed by `idut read --json` (its "ms" covers
idread_readAll alone), on the same image with the same (default) options.

    python3 bench/python_read.py [--build build] [--runs 500] [--image IMAGE.pgm]

The two sides take turns, a tenth of the runs at a time, so that a machine busy with
other work slows both alike.

The image is the first easy sample scene of ../shared/samples, or the top-left 640 x 480
of the demo image when the samples are absent. The first reads of each side, which build
the decoder's tables, are not counted.
"""

import argparse
import json
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
WARM_UP = 10


def read_pgm(path):
    import numpy as np

    magic, width, height, maxval, pixels = Path(path).read_bytes().split(maxsplit=4)
    assert magic == b"P5" and int(maxval) == 255, "an 8-bit binary PGM without comments"
    return np.frombuffer(pixels, np.uint8, int(width) * int(height)).reshape(int(height), int(width))


def default_image(folder):
    scene = ROOT.parent / "shared" / "samples" / "synthetic" / "easy" / "scene0000.pgm"
    if scene.exists():
        return scene
    crop = read_pgm(ROOT / "data" / "labels.pgm")[:480, :640]
    path = Path(folder) / "labels-640x480.pgm"
    path.write_bytes(b"P5\n640 480\n255\n" + crop.tobytes())
    return path


def python_times(idut, image, runs):
    times = []
    for _ in range(WARM_UP + runs):
        start = time.perf_counter()
        idut.read(image)
        times.append((time.perf_counter() - start) * 1e3)
    return times[WARM_UP:]


def cpp_times(program, path, runs):
    out = subprocess.run([program, "read", "--json"] + [str(path)] * (WARM_UP + runs),
                         capture_output=True, text=True, check=False).stdout
    times = [json.loads(line)["ms"] for line in out.splitlines()]
    assert len(times) == WARM_UP + runs, "idut read gave no result for every run"
    return times[WARM_UP:]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", type=Path, default=ROOT / "build")
    parser.add_argument("--runs", type=int, default=500)
    parser.add_argument("--image", type=Path)
    args = parser.parse_args()
    sys.path.insert(0, str(args.build / "python"))
    import idut

    with tempfile.TemporaryDirectory() as folder:
        path = args.image or default_image(folder)
        image = read_pgm(path)
        texts = [r.text for r in idut.read(image)]
        cpp, python = [], []
        for _ in range(10):
            cpp += cpp_times(args.build / "tools" / "idut", path, args.runs // 10)
            python += python_times(idut, image, args.runs // 10)
    cpp, python = statistics.median(cpp), statistics.median(python)
    print(f"{path.name}: {image.shape[1]} x {image.shape[0]}, texts {texts}")
    print(f"median of {args.runs}: C++ {cpp:.3f} ms, Python {python:.3f} ms, "
          f"Python costs {100 * (python / cpp - 1):+.1f} %")


if __name__ == "__main__":
    main()
