#!/bin/sh
# Synthesises the default reminder sound: a two-note chime (E6, then B5 a little later), each
# note a sine with a quiet octave above it and a long logarithmic decay, about 1.3 s in all,
# normalised to -4 dBFS and encoded as a mono MP3 (the notice dialog plays it through MCI).
#   make_chime.sh OUTPUT.mp3 WORK_DIR
set -eu
out="$1"
work="$2"
mkdir -p "$work"
sox -r 44100 -c 2 -n "$work/chime_hi.wav" synth 1.0 sine 1318.51 sine 2637.02 \
  remix 1v0.75,2v0.12 fade l 0.004 1.0 0.97
sox -r 44100 -c 2 -n "$work/chime_lo.wav" synth 1.1 sine 987.77 sine 1975.53 \
  remix 1v0.75,2v0.12 fade l 0.004 1.1 1.07 pad 0.22
sox -m "$work/chime_hi.wav" "$work/chime_lo.wav" -b 16 "$work/chime.wav" gain -n -4
lame --quiet --noreplaygain -b 96 -m m "$work/chime.wav" "$out"
