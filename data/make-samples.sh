#!/usr/bin/env bash
# Regenerates the sample MP3 files in data/Samples: short, dry sounds on which an added echo is
# easy to hear (spoken phrases, plucked notes, drum clicks), each with a little silence at the
# end so the echo's tail has room. Needs espeak-ng and SoX with MP3 support; the build does not
# run this, the MP3 files are kept in the repository.
#   data/make-samples.sh            writes data/Samples/*.mp3
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out="$here/Samples"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

rate=22050
# Mono, 22.05 kHz, 64 kbit/s: a few seconds stay well under 80 KB.
encode() { # encode IN.wav NAME.mp3 TAIL-SECONDS
    sox --no-glob "$1" -r "$rate" -c 1 -C 64 "$out/$2" norm -1 pad 0.15 "$3"
}

speak() { # speak NAME.mp3 VOICE SPEED "TEXT"
    espeak-ng -v "$2" -s "$3" -w "$work/speech.wav" "$4"
    # espeak-ng leaves silence at both ends: trim it, the tail is added back by encode.
    sox "$work/speech.wav" "$work/speech-trim.wav" silence 1 0.02 0.5% reverse silence 1 0.02 0.5% reverse
    encode "$work/speech-trim.wav" "$1" 1.2
}

speak "Hello.mp3" en-us 150 "Hello! Can you hear the echo?"
speak "One, two, three.mp3" en 140 "One. Two. Three."
speak "Echo test.mp3" en-gb 145 "Echo test. Echo test."

# An A minor arpeggio of plucked strings, each note 0.35 s apart, ringing out.
notes=(A3 C4 E4 A4 E4 C4)
parts=()
i=0
for n in "${notes[@]}"; do
    sox -n -r "$rate" -c 1 "$work/note$i.wav" synth 0.9 pluck "$n" fade q 0.005 0.9 0.6
    sox "$work/note$i.wav" "$work/pad$i.wav" pad "$(awk -v i="$i" 'BEGIN { print i * 0.35 }')" 0
    parts+=("$work/pad$i.wav")
    i=$((i + 1))
done
sox -m "${parts[@]}" "$work/arpeggio.wav"
encode "$work/arpeggio.wav" "Plucked notes.mp3" 0.8

# Drum clicks: a short low thump (pitch-dropping sine with a quick decay) and a noise snap,
# in a simple pattern with gaps between the hits.
sox -n -r "$rate" -c 1 "$work/kick.wav" synth 0.18 sine 120-45 fade q 0.002 0.18 0.16 vol 0.9
sox -n -r "$rate" -c 1 "$work/snap.wav" synth 0.08 pinknoise fade l 0.001 0.08 0.075 \
    highpass 1200 vol 0.8
beats=(kick snap kick kick snap)
times=(0 0.5 1.0 1.25 1.5)
parts=()
for j in "${!beats[@]}"; do
    sox "$work/${beats[$j]}.wav" "$work/hit$j.wav" pad "${times[$j]}" 0
    parts+=("$work/hit$j.wav")
done
sox -m "${parts[@]}" "$work/drums.wav"
encode "$work/drums.wav" "Drum clicks.mp3" 1.0

ls -l "$out"
