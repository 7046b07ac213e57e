"""The ID3v2 frames of an input and its converted output, as mutagen reads them, compared.

id3referee.py INPUT OUTPUT prints one JSON object: the frames mutagen sees in the input (the
frames that describe the input's audio left out), those missing from the output or different
there, the names of the unknown frames (kept as bytes by mutagen) missing from the output, and
the output's recording time as mutagen reads it, and every frame of the output as mutagen
prints it ("TALB=Album"). An ID3v2.2 input is compared as mutagen converts it to ID3v2.3.
"""
import hashlib
import json
import sys

from mutagen.id3 import ID3, ID3NoHeaderError

AUDIO = ("TLEN", "TSSE", "MLLT", "SEEK", "ASPI")


def frames(path):
    try:
        tag = ID3(path, translate=False)
    except ID3NoHeaderError:
        return 0, {}, {}
    if tag.version < (2, 3, 0):
        tag.update_to_v23()
    seen = {key: hashlib.sha256(repr(frame).encode()).hexdigest()
            for key, frame in tag.items() if frame.FrameID not in AUDIO}
    size = 3 if tag.version < (2, 3, 0) else 4
    unknown = {hashlib.sha256(bytes(raw)).hexdigest(): bytes(raw[:size]).decode()
               for raw in tag.unknown_frames}
    return tag.version[1], seen, unknown


def printed(path):
    """The output's frames as mutagen prints them, one a line."""
    try:
        return ID3(path, translate=False).pprint().splitlines()
    except ID3NoHeaderError:
        return []


def date(path):
    """The recording time mutagen makes of the output's date frames."""
    try:
        return str(ID3(path).get("TDRC", ""))
    except ID3NoHeaderError:
        return ""


in_version, seen_in, unknown_in = frames(sys.argv[1])
out_version, seen_out, unknown_out = frames(sys.argv[2])
print(json.dumps({
    "inVersion": in_version,
    "outVersion": out_version,
    "frames": sorted(seen_in),
    "outDate": date(sys.argv[2]),
    "missing": sorted(k for k in seen_in if k not in seen_out),
    "differ": sorted(k for k in seen_in if k in seen_out and seen_in[k] != seen_out[k]),
    "unknownMissing": sorted(name for u, name in unknown_in.items() if u not in unknown_out),
    "outFrames": printed(sys.argv[2]),
}))
