#!/usr/bin/python3
"""Checks an echobatch-cli --json report against the statuses expected, with Python's own json
parser, and the outputs it names with mutagen (an independent MP3 reader).

    jsonlines_check.py REPORT EXPECTED OUT_DIR [--ordered] [--tree]

EXPECTED holds NUL-separated pairs: input path bytes, expected status (alternatives separated
by "|"). Every expected input must have exactly one line and no other line may exist;
--ordered also wants the lines in the
order of EXPECTED; --tree wants each output below OUT_DIR at its input's relative folder."""
import base64
import json
import os
import sys

import mutagen.mp3


def path_bytes(line, key):
    if key + "_base64" in line:
        raw = base64.b64decode(line[key + "_base64"], validate=True)
        assert "\ufffd" in line[key], f"{key} of a raw name shows no U+FFFD: {line!r}"
        return raw
    return line[key].encode("utf-8")


def main():
    report, expected_file, out_dir = sys.argv[1:4]
    ordered = "--ordered" in sys.argv[4:]
    tree = "--tree" in sys.argv[4:]
    fields = open(expected_file, "rb").read().split(b"\0")[:-1]
    expected = list(zip(fields[0::2], (s.decode() for s in fields[1::2])))
    seen = []
    with open(report, "rb") as f:
        for text in f.read().split(b"\n")[:-1]:
            line = json.loads(text)
            keys = set(line) - {"input_base64", "output_base64"}
            status = line["status"]
            want = {"input", "output", "status", "seconds"}
            want |= {"reason"} if status in ("failed", "skipped") else set()
            want |= {"warning"} if status == "warning" else set()
            assert keys == want, f"keys {sorted(keys)} for {status}: {line!r}"
            assert isinstance(line["seconds"], (int, float)) and line["seconds"] >= 0, line
            source = path_bytes(line, "input")
            seen.append((source, status))
            if status in ("converted", "warning", "up-to-date"):
                output = path_bytes(line, "output")
                name = os.path.basename(source)
                stem = name[: name.rindex(b".")] if b"." in name else name
                folder = os.path.dirname(source) if tree else b""
                wanted = os.path.join(os.fsencode(out_dir), folder, stem + b".mp3")
                assert os.path.abspath(output) == os.path.abspath(wanted), line
                length = mutagen.mp3.MP3(output).info.length
                assert length > 0.1, f"{output!r} decodes to {length} s"
            else:
                assert line["reason"], line
    if not ordered:
        seen.sort()
        expected.sort()
    assert [p for p, _ in seen] == [p for p, _ in expected], f"report {seen!r}\nexpected {expected!r}"
    for (path, status), (_, allowed) in zip(seen, expected):
        assert status in allowed.split("|"), f"{path!r}: {status}, expected {allowed}"
    print(f"{len(seen)} report lines checked")


if __name__ == "__main__":
    main()
