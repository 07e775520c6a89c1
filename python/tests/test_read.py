"""locate and read over numpy images: the demo texts, every array layout, bad input,
threads, and images loaded with OpenCV."""

import json
from concurrent.futures import ThreadPoolExecutor

import numpy as np
import pytest

import idut
from conftest import DATA, SAMPLES, read_pgm


def test_demo_symbols_read_where_they_are(labels):
    truth = {s["text"].encode(): s for s in json.loads((DATA / "labels.json").read_text())["symbols"]}
    readings = idut.read(labels)
    assert sorted(r.text for r in readings) == sorted(truth)
    for r in readings:
        assert r.status == 0 and "%dx%d" % r.size == truth[r.text]["size"]
        expected = np.array(truth[r.text]["corners"])
        # Same corners up to where the perimeter starts.
        for corner in r.corners:
            assert np.hypot(*(expected - corner).T).min() < 2.0
    symbols = idut.locate(labels)
    assert [s.corners for s in symbols] == [r.corners for r in readings]
    assert all(s.score == r.score and s.pitch > 5 for s, r in zip(symbols, readings))


def test_damage_is_corrected_or_reported(labels):
    image = labels.copy()
    image[360:390, 830:860] ^= 255  # a few codewords of Q042ULNZG inverted
    image[560:610, 140:190] = np.random.default_rng(1).integers(0, 2, (50, 50)) * 255  # OWRGJ9
    corrected, kept, lost = idut.read(image)
    assert corrected.text == b"Q042ULNZG" and corrected.corrected_errors > 0
    assert kept.text == b"MCVQBF3" and kept.corrected_errors == 0
    assert lost.text is None and lost.status == 0x80000A02 - 2**32 and lost.size == (16, 16)


def test_every_layout_reads_alike(labels):
    expected = idut.read(labels)  # C order, width a multiple of 16: used in place
    assert idut.read(np.asfortranarray(labels)) == expected
    flipped = labels[::-1, ::-1]
    assert idut.read(flipped) == idut.read(np.ascontiguousarray(flipped))
    # Views whose rows keep the kit's pitch but stop short of it are used in place: the
    # pixels past their width must stay unseen.
    narrow = labels[:, :1270]
    assert idut.read(narrow, row_spacing=4) == idut.read(narrow.copy(order="F"), row_spacing=4)
    noise = np.random.default_rng(7).integers(0, 256, (64, 48), dtype=np.uint8)
    assert np.array_equal(idut.edges(noise[:, :40]), idut.edges(noise[:, :40].copy()))
    for view in noise[:, :40], noise[5:6, :33]:
        assert np.array_equal(idut.binarize(view), idut.binarize(view.copy()))

def test_bad_images_and_options_raise(labels):
    with pytest.raises(TypeError):
        idut.read(labels.astype(np.float32))
    for bad in dict(image=labels.tolist()), dict(image=labels, shape=(10.5, 10)):
        with pytest.raises(TypeError):
            idut.locate(**bad)
    with pytest.raises(ValueError):
        idut.read(np.dstack([labels, labels]))
    with pytest.raises(ValueError):
        idut.locate(labels[:0])
    for options in [dict(fit="loose"), dict(passes=["rows", "columns"]), dict(passes=[]),
                    dict(min_size=50, max_size=40), dict(shape=(0, 10)), dict(row_spacing=0)]:
        with pytest.raises(ValueError):
            idut.read(labels, **options)


def test_threads_read_as_one_thread_does(labels):
    images = [labels, labels[:480, :640], labels[400:, 500:], np.asfortranarray(labels)] * 4
    serial = [idut.read(image) for image in images]
    with ThreadPoolExecutor(max_workers=4) as pool:
        assert list(pool.map(idut.read, images)) == serial


def test_opencv_images_of_the_sample_scenes():
    cv2 = pytest.importorskip("cv2")
    scenes = sorted((SAMPLES / "synthetic" / "easy").glob("*.pgm"))
    if not scenes:
        pytest.skip("no sample scenes")
    for scene in scenes:
        image = cv2.imread(str(scene), cv2.IMREAD_GRAYSCALE)
        assert np.array_equal(image, read_pgm(scene))
        truth = [s["text"].encode() for s in json.loads(scene.with_suffix(".json").read_text())["symbols"]]
        assert [r.text for r in idut.read(image) if r.text] == truth, scene.name
