"""The records idut's functions return."""

from dataclasses import dataclass
from typing import Optional, Tuple

Point = Tuple[float, float]


@dataclass(frozen=True)
class Symbol:
    """A DataMatrix symbol found by idut.locate.

    corners: pixels, in perimeter order: the corner of the finder L, the end of its x side,
    the opposite corner, the end of its y side. size: the module grid (rows, columns)
    measured on the clock tracks. score: 0 to 1000. pitch: the mean module pitch, pixels.
    """

    corners: Tuple[Point, Point, Point, Point]
    size: Tuple[int, int]
    score: int
    pitch: float


@dataclass(frozen=True)
class Reading:
    """A DataMatrix symbol found by idut.read and what decoding made of it.

    text: the data bytes, or None when the symbol did not decode; status is then the
    decoder's (negative), else 0. size: (rows, columns) as decoded, or as measured when
    not decoded. corrected_errors: codewords changed by the Reed-Solomon correction.
    corners and score as for Symbol.
    """

    corners: Tuple[Point, Point, Point, Point]
    size: Tuple[int, int]
    text: Optional[bytes]
    score: int
    status: int
    corrected_errors: int


@dataclass(frozen=True)
class Threshold:
    """Grey-level statistics of an image from idut.threshold.

    threshold: the first grey level of the light class of the two-class (Otsu) split.
    separability: between-class over total variance, 0 to 1. dark, light: (mean,
    deviation) of the darkest and lightest percent of the pixels. sharpness: the strongest
    gradients over the dark/light contrast, 0 to 1.
    """

    threshold: int
    separability: float
    dark: Tuple[float, float]
    light: Tuple[float, float]
    sharpness: float
