"""Where the music of a converted file lies against its input's, as ffmpeg decodes both.

musicreferee.py INPUT OUTPUT GAIN_IN GAIN_OUT DELAY DECAY PASSES prints one line: the output's
shift in samples against the input passed PASSES times through the echo
out[n] = gain_out * (gain_in * x[n] + decay * x[n - delay]) (found by cross-correlation of the
decodings, within 2000 samples either way), its decoded length less that model's, the output's length as
mutagen reads it from the Info/Xing frame less the decoded length, and the encoder delay mutagen
reads from the LAME extension (-1 without one), and the input's and the output's average
bitrates in kbps (the file's bytes over the decoded length).
"""
import os
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
gain_in, gain_out, delay, decay = map(float, sys.argv[3:7])
d = int(delay * info.sample_rate / 1000)
model = a
for _ in range(int(sys.argv[7])):
    model = gain_out * (gain_in * np.r_[model, np.zeros(d)] + decay * np.r_[np.zeros(d), model])
kbps = [round(os.path.getsize(p) * 8 * info.sample_rate / len(x) / 1000)
        for p, x in ((sys.argv[1], a), (sys.argv[2], b))]
print(shift(model, b), len(b) - len(model),
      round(info.length * info.sample_rate) - len(b), encoder_delay(sys.argv[2], info), *kbps)
