"""The array functions on small inputs whose results are known."""

import numpy as np
import pytest

import idut

# Columns 0-4 at 40, 5-9 at 200: a vertical step from dark to light.
STEP = np.repeat([[40] * 5 + [200] * 5], 6, axis=0).astype(np.uint8)


def test_binarize_and_threshold_split_a_step():
    for method in "midrange", "otsu", "tile-max":
        assert np.array_equal(idut.binarize(STEP, method=method), (STEP > 100).astype(np.uint8) * 255)
    with pytest.raises(ValueError):
        idut.binarize(STEP, method="mean")
    with pytest.raises(ValueError):
        idut.binarize(STEP, method="local-mean", box=0)
    t = idut.threshold(STEP)
    assert 40 < t.threshold <= 200 and t.separability == pytest.approx(1.0)
    assert t.dark == (40.0, 0.0) and t.light == (200.0, 0.0)


def test_edges_of_a_step():
    # Sobel across a step of 160: |gx| = 4 * 160 on the two columns beside it, a quarter
    # of that as magnitude; the one-pixel border has none.
    expected = np.zeros_like(STEP)
    expected[1:-1, 4:6] = 160
    assert np.array_equal(idut.edges(STEP), expected)
    peaks = idut.edges(STEP, operator="peaks")  # of two equal maxima the one in front stays
    assert np.array_equal(peaks[:, 5], expected[:, 5]) and not peaks[:, :5].any()
    assert np.array_equal(idut.edges(STEP, operator="hysteresis", threshold=100), (expected > 0) * 255)
    assert not idut.edges(STEP, operator="hysteresis", threshold=161).any()
    with pytest.raises(ValueError):
        idut.edges(STEP, operator="hysteresis", threshold=50, low=60)
    with pytest.raises(ValueError):
        idut.edges(STEP[:2])


def test_fft_against_numpy():
    image = np.random.default_rng(3).integers(0, 256, (8, 16), dtype=np.uint8)
    exact = np.fft.fft2(image)
    assert np.abs(idut.fft2(image) - exact).max() < 1e-5 * image.sum()
    power = idut.power_spectrum(image, shift=True)
    assert np.allclose(power, np.fft.fftshift(np.abs(exact) ** 2), rtol=1e-5, atol=1e-5 * image.sum() ** 2)
    with pytest.raises(idut.Error) as failure:
        idut.fft2(image[:6])
    assert failure.value.status == 0x80000861 - 2**32  # not a power of two


def test_reed_solomon_round_trip():
    # The ECC 200 example: "123456" is 142 164 186 with checks 114 25 5 88 102, printed
    # highest degree first, the reverse of the codec's order.
    assert list(idut.rs_encode([186, 164, 142], 5)[::-1]) == [142, 164, 186, 114, 25, 5, 88, 102]
    rng = np.random.default_rng(5)
    for bits, polynomial, length, checks in (8, 0x12D, 30, 10), (4, 0x13, 15, 6):
        data = rng.integers(0, 2**bits, length - checks)
        codeword = idut.rs_encode(data, checks, bits=bits, polynomial=polynomial)
        assert np.array_equal(codeword[checks:], data)
        received = codeword.copy()
        where = rng.choice(length, checks // 2 + 1, replace=False)
        received[where[:2]] = -1  # erasures cost one check word each, errors two
        received[where[2:]] ^= 1
        corrected, count = idut.rs_correct(received, checks, bits=bits, polynomial=polynomial)
        assert np.array_equal(corrected, codeword) and count == len(where)
        received[where[:2]] = codeword[where[:2]] ^ 3  # the erasures as errors
        with pytest.raises(idut.Error) as failure:
            idut.rs_correct(received, checks, bits=bits, polynomial=polynomial)
        assert failure.value.status == 0x80000A02 - 2**32  # too many errors
    with pytest.raises(ValueError):
        idut.rs_encode([1, 2], 4, polynomial=0x100)  # not primitive
    with pytest.raises(ValueError):
        idut.rs_encode([1, 256], 4)
    with pytest.raises(TypeError):
        idut.rs_correct([1.5, 2.0], 1)
