"""Shared by the tests: the project's folders and a PGM reader."""

from pathlib import Path

import numpy as np
import pytest

ROOT = Path(__file__).resolve().parents[2]
DATA = ROOT / "data"
SAMPLES = ROOT.parent / "shared" / "samples"


def read_pgm(path):
    """The pixels of a binary 8-bit PGM (P5) without comments."""
    magic, width, height, maxval, pixels = Path(path).read_bytes().split(maxsplit=4)
    assert magic == b"P5" and int(maxval) == 255
    return np.frombuffer(pixels, np.uint8, int(width) * int(height)).reshape(
        int(height), int(width)
    )


@pytest.fixture(scope="session")
def labels():
    return read_pgm(DATA / "labels.pgm")
