"""Where the music of a converted file lies against its input's, as ffmpeg decodes both.

musicreferee.py [--mpg123] INPUT OUTPUT GAIN_IN GAIN_OUT DELAY DECAY PASSES prints one line: the output's
shift in samples against the input passed PASSES times through the echo
out[n] = gain_out * (gain_in * x[n] + decay * x[n - delay]) (found by cross-correlation of the
decodings, within 2000 samples either way), its decoded length less that model's, the output's length as
mutagen reads it from the Info/Xing frame less the decoded length, and the encoder delay mutagen
reads from the LAME extension (-1 without one), and the input's and the output's average
bitrates in kbps (the file's bytes over the decoded length). With --mpg123, mpg123 decodes
instead (for what ffmpeg cannot read, or resyncs over otherwise: free format, junk between
frames, a mono part joined to a stereo one). With KIND (txxx, rva2, ape, album)
and the album's outputs after it, a seventh word: "ok" when the output's ReplayGain values
(read by mutagen) match ffmpeg's EBU R128 measurement within 0.2 dB and 3 % of the peak and
the album values match the album's outputs together (or are gone without them), and each
ReplayGain key of the input is spelled as the input spells it, else what not.
"""
import os
import re
import subprocess
import sys

import mutagen.apev2
import mutagen.id3
import mutagen.mp3
import numpy as np
from mutagen.mp3._util import XingHeader, XingHeaderError


MPG123 = sys.argv[1] == "--mpg123"
if MPG123:
    del sys.argv[1]


def decode(path):
    command = (["mpg123", "-q", "--mono", "--mix", "-e", "f32", "-s", path] if MPG123 else
               ["ffmpeg", "-v", "error", "-i", path, "-ac", "1", "-f", "f32le", "-"])
    raw = subprocess.run(command, capture_output=True, check=True).stdout
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


def loudness(paths):
    inputs = [arg for p in paths for arg in ("-i", p)]
    graph = f"concat=n={len(paths)}:v=0:a=1,ebur128=peak=sample"
    err = subprocess.run(["ffmpeg", "-nostats", *inputs, "-filter_complex", graph, "-f", "null",
                          "-"], capture_output=True, text=True).stderr
    summary = err[err.rindex("Summary:"):]
    lufs, peak = (float(re.search(p, summary).group(1)) for p in
                  (r"I:\s+(-?[\d.]+) LUFS", r"Peak:\s+(-?[\d.]+) dBFS"))
    return -18 - lufs, 10 ** (peak / 20)


def spellings(path, kind):
    keys = mutagen.apev2.APEv2(path).keys() if kind == "ape" else [
        f.desc for f in mutagen.id3.ID3(path).getall("TXXX")]
    return {k for k in keys if k.lower().startswith("replaygain_")}


def replaygain_faults(source, path, kind, album):
    if kind == "ape":
        tags = {k.lower(): str(v) for k, v in mutagen.apev2.APEv2(path).items()}
    else:
        id3 = mutagen.id3.ID3(path)
        tags = {f.desc.lower(): f.text[0] for f in id3.getall("TXXX")}
        for f in id3.getall("RVA2"):
            tags[f"replaygain_{f.desc}_gain"], tags[f"replaygain_{f.desc}_peak"] = f.gain, f.peak
    wanted = dict(zip(("track_gain", "track_peak"), loudness([path])))
    if album:
        wanted.update(zip(("album_gain", "album_peak"), loudness(album)))
    faults = [k for k, v in wanted.items() if f"replaygain_{k}" not in tags or
              abs(float(str(tags[f"replaygain_{k}"]).split()[0]) - v) > (
                  0.2 if k.endswith("gain") else 0.03 * v)]
    kept = spellings(source, kind) - spellings(path, kind)
    return faults + ["album left"] * (not album and any("album" in k for k in tags)) + [
        "spelled anew: " + k for k in kept if album or "album" not in k.lower()]


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
      round(info.length * info.sample_rate) - len(b), encoder_delay(sys.argv[2], info), *kbps,
      *([",".join(replaygain_faults(sys.argv[1], sys.argv[2], sys.argv[8], sys.argv[9:])) or "ok"]
        if len(sys.argv) > 8 else []))
