#!/usr/bin/env python3
"""Scores `idut read --json` output (or a peer reader's, in the same form) against truth.

    idut read --json DIR/*.pgm > read.jsonl
    tools/score_read.py read.jsonl [more.jsonl ...]     (or read from standard input)

The truth of IMAGE.pgm is IMAGE.json beside it ({"symbols": [{"text": ...}, ...]}, as in
../shared/samples). A read text is right when it is the text of a truth symbol of the image
not yet taken, wrong otherwise. Texts are compared as characters: the read bytes decoded by
the character sets their ECIs name (ISO 8859-1 where none does); the truth's UTF-8 taken
as such where it was stored byte by byte, its control-character names (<GS>, <U+98>) and
control pictures (U+241E) turned into the characters; for GS1 data the parentheses around
application identifiers and the group separators do not count. A truth text that is empty
(the reference reader decoded nothing) is not scored.
Images without a truth file count apart, as "no truth", with the texts read there.

Per set (folder): images, truth symbols, read right (share of the truth), wrong texts,
symbols found but not read, median milliseconds per image.
"""

import argparse
import json
import os
import re
import statistics
import sys

CONTROL_NAMES = ["NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS", "HT", "LF",
                 "VT", "FF", "CR", "SO", "SI", "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN",
                 "ETB", "CAN", "EM", "SUB", "ESC", "FS", "GS", "RS", "US"]

# ECI designator to Python codec.
ECI_CODECS = {1: "latin-1", 2: "cp437", 3: "latin-1", 20: "shift_jis", 21: "cp1250",
              22: "cp1251", 23: "cp1252", 24: "cp1256", 25: "utf-16-be", 26: "utf-8",
              27: "ascii", 28: "big5", 29: "gb18030", 30: "euc-kr"}
ECI_CODECS.update({n: f"iso8859-{n - 2}" for n in range(4, 19) if n != 14})


def read_text(symbol):
    """The read bytes (JSON characters U+0000..U+00FF) decoded by their ECIs."""
    data = symbol["text"].encode("latin-1")
    cuts = [(0, 3)] + [(offset, number) for number, offset in symbol.get("ecis", [])]
    text = ""
    for i, (offset, number) in enumerate(cuts):
        end = cuts[i + 1][0] if i + 1 < len(cuts) else len(data)
        text += data[offset:end].decode(ECI_CODECS.get(number, "latin-1"), errors="replace")
    return text


def truth_text(text):
    try:
        text = text.encode("latin-1").decode("utf-8")
    except (UnicodeEncodeError, UnicodeDecodeError):
        pass
    text = re.sub(r"<([A-Z]{2,3}[0-9]?)>",
                  lambda m: chr(CONTROL_NAMES.index(m[1])) if m[1] in CONTROL_NAMES else m[0],
                  text)
    text = re.sub(r"<U\+([0-9A-Fa-f]{2,4})>", lambda m: chr(int(m[1], 16)), text)
    return "".join(chr(ord(c) - 0x2400) if 0x2400 <= ord(c) < 0x2420 else c for c in text)


def gs1_key(text):
    return text.replace("(", "").replace(")", "").replace("\x1d", "")


def truth_of(image):
    path = os.path.splitext(image)[0] + ".json"
    if not os.path.exists(path):
        return None
    with open(path) as f:
        return [truth_text(s["text"]) for s in json.load(f)["symbols"]]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("results", nargs="*", type=argparse.FileType("r"),
                        help="files of `idut read --json` lines (default: standard input)")
    parser.add_argument("--misses", action="store_true",
                        help="also list every truth text not read and every wrong text")
    args = parser.parse_args()
    sets = {}
    for stream in args.results or [sys.stdin]:
        for line in stream:
            if not line.strip():
                continue
            r = json.loads(line)
            name = os.path.basename(os.path.dirname(os.path.abspath(r["image"])))
            s = sets.setdefault(name, {"images": 0, "truth": 0, "right": 0, "wrong": 0,
                                       "unread": 0, "untruthed": 0, "untruthed_read": 0,
                                       "ms": []})
            s["images"] += 1
            s["ms"].append(r["ms"])
            texts = [(read_text(x), x.get("gs1", 0)) for x in r["symbols"] if x["read"]]
            s["unread"] += sum(1 for x in r["symbols"] if not x["read"])
            truth = truth_of(r["image"])
            if truth is None:
                s["untruthed"] += 1
                s["untruthed_read"] += len(texts)
                continue
            left = [t for t in truth if t]
            unscored = len(truth) - len(left)  # texts the reference did not decode
            s["truth"] += len(left)
            for text, gs1 in texts:
                same = [t for t in left if t == text or (gs1 and gs1_key(t) == gs1_key(text))]
                if same:
                    left.remove(same[0])
                    s["right"] += 1
                elif unscored:
                    unscored -= 1
                else:
                    s["wrong"] += 1
                    if args.misses:
                        print(f"wrong   {r['image']}: {text!r}")
            if args.misses:
                for text in left:
                    print(f"missed  {r['image']}: {text!r}")
    if not sets:
        sys.exit("no results to score")
    print(f"{'set':<12} {'images':>6} {'symbols':>7} {'read':>14} {'wrong':>6} "
          f"{'not read':>8} {'median ms':>9}   no truth")
    for name in sorted(sets):
        s = sets[name]
        share = f"{s['right']} ({100.0 * s['right'] / s['truth']:.1f}%)" if s["truth"] else "-"
        no_truth = f"{s['untruthed']} ({s['untruthed_read']} read)" if s["untruthed"] else "-"
        print(f"{name:<12} {s['images']:>6} {s['truth']:>7} {share:>14} {s['wrong']:>6} "
              f"{s['unread']:>8} {statistics.median(s['ms']):>9.2f}   {no_truth}")


if __name__ == "__main__":
    main()
