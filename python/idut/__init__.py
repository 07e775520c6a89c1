"""DataMatrix reading and the ID utilities' image operations over numpy arrays.

Images are 2-D uint8 arrays (rows, columns), as numpy, OpenCV (grey) and imageio give
them. Every function releases the GIL while the library works, so threads run in parallel.
A failing library call raises idut.Error with the library's status in .status.
"""

from ._idut import (
    Error,
    binarize,
    edges,
    fft2,
    locate,
    power_spectrum,
    read,
    rs_correct,
    rs_encode,
    threshold,
)
from ._results import Reading, Symbol, Threshold

__all__ = [
    "Error",
    "Reading",
    "Symbol",
    "Threshold",
    "binarize",
    "edges",
    "fft2",
    "locate",
    "power_spectrum",
    "read",
    "rs_correct",
    "rs_encode",
    "threshold",
]
