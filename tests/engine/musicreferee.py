"""Where the music of a converted file lies against its input's, as ffmpeg decodes both.

musicreferee.py INPUT OUTPUT TAIL prints one line: the output's shift against the input in
samples (found by cross-correlation of the two decodings, within 2000 samples either way), its
decoded length less the input's less TAIL (the samples the echo adds), the output's length as
mutagen reads it from the Info/Xing frame less the decoded length, and the encoder delay mutagen
reads from the LAME extension (-1 without one).
"""
import subprocess
import sys

import mutagen.mp3
import numpy as np
from mutagen.mp3._util import XingHeader, XingHeaderError


def decode(path):
    raw = subprocess.run(["ffmpeg", "-v", "error", "-i", path, "-ac", "1", "-f", "f32le", "-"],
                         capture_output=True, check=True).stdout
    return np.frombuffer(raw, dtype="<f4")


def shift(a, b, reach=2000):
    n = len(a) + len(b)
    c = np.fft.irfft(np.fft.rfft(b, n) * np.conj(np.fft.rfft(a, n)), n)
    lags = np.r_[0:reach, -reach:0]
    return int(lags[np.argmax(np.r_[c[:reach], c[-reach:]])])


def encoder_delay(path, info):
    with open(path, "rb") as f:
        f.seek(info.frame_offset + XingHeader.get_offset(info))
        try:
            lame = XingHeader(f).lame_header
        except XingHeaderError:
            return -1
    return -1 if lame is None else lame.encoder_delay_start


a, b = decode(sys.argv[1]), decode(sys.argv[2])
info = mutagen.mp3.MP3(sys.argv[2]).info
print(shift(a, b), len(b) - len(a) - int(sys.argv[3]),
      round(info.length * info.sample_rate) - len(b), encoder_delay(sys.argv[2], info))
