from typing import Literal, Optional, Sequence, Tuple, Union

import numpy as np
import numpy.typing as npt

from ._results import Reading, Symbol, Threshold

class Error(RuntimeError):
    status: int

Image = npt.NDArray[np.uint8]
Shape = Union[Literal["any", "square", "rectangular"], Tuple[int, int]]
Fit = Literal["strict", "relaxed", "extra-relaxed"]
Polarity = Literal["dark", "light", "any"]
Pass = Literal["rows", "low-contrast", "adaptive"]

def locate(
    image: Image,
    *,
    row_spacing: int = 8,
    min_size: float = 15.0,
    max_size: float = 2000.0,
    shape: Shape = "any",
    fit: Fit = "relaxed",
    polarity: Polarity = "dark",
    min_score: int = 600,
    passes: Sequence[Pass] = ("rows",),
    border_touch: bool = False,
) -> list[Symbol]: ...
def read(
    image: Image,
    *,
    row_spacing: int = 8,
    min_size: float = 15.0,
    max_size: float = 2000.0,
    shape: Shape = "any",
    fit: Fit = "relaxed",
    polarity: Polarity = "dark",
    min_score: int = 600,
    passes: Sequence[Pass] = ("rows",),
    border_touch: bool = False,
    size_slack: int = 2,
) -> list[Reading]: ...
def binarize(
    image: Image,
    *,
    method: Literal[
        "midrange", "otsu", "tile-midrange", "tile-max", "local-range", "local-mean"
    ] = "tile-max",
    offset: int = 10,
    box: int = 15,
) -> Image: ...
def threshold(image: Image, *, percent: int = 10) -> Threshold: ...
def edges(
    image: Image,
    *,
    operator: Literal["magnitude", "peaks", "hysteresis"] = "magnitude",
    threshold: int = 20,
    low: Optional[int] = None,
) -> Image: ...
def fft2(image: Image) -> npt.NDArray[np.complex128]: ...
def power_spectrum(image: Image, *, shift: bool = False) -> npt.NDArray[np.float64]: ...
def rs_encode(
    data: Union[Sequence[int], npt.NDArray[np.integer]],
    n_ecc: int,
    *,
    bits: int = 8,
    polynomial: int = 0x12D,
    generator: int = 2,
) -> npt.NDArray[np.int32]: ...
def rs_correct(
    codeword: Union[Sequence[int], npt.NDArray[np.integer]],
    n_ecc: int,
    *,
    bits: int = 8,
    polynomial: int = 0x12D,
    generator: int = 2,
) -> Tuple[npt.NDArray[np.int32], int]: ...
