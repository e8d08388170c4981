#!/usr/bin/env bash
# Makes the demo's music, res/music/strobe-loop.ogg: 16 seconds of plucked
# arpeggios over a bass line (sox), Ogg Vorbis, with an ID3v1 tag appended.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/res/music/strobe-loop.ogg}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Four bars of two seconds: Am, F, C, G. Eighth notes of 0.25 s.
chords=("A3 C4 E4 A4 E4 C4 A3 E4" "F3 A3 C4 F4 C4 A3 F3 C4"
        "C3 E3 G3 C4 G3 E3 C3 G3" "G3 B3 D4 G4 D4 B3 G3 D4")
roots=(A1 F1 C2 G1)
lead=()
bass=()
i=0
for bar in 0 1 2 3; do
  for note in ${chords[$bar]}; do
    sox -R -n -r 44100 -c 2 "$work/lead$i.wav" synth 0.25 pluck "$note" fade 0 0.25 0.05 vol 0.45
    lead+=("$work/lead$i.wav")
    i=$((i + 1))
  done
  sox -R -n -r 44100 -c 2 "$work/bass$bar.wav" synth 2 square "${roots[$bar]}" vol 0.3 lowpass 400 fade 0.02 2 0.1
  bass+=("$work/bass$bar.wav")
done
sox "${lead[@]}" "$work/lead.wav"
sox "${bass[@]}" "$work/bass.wav"
sox -m "$work/lead.wav" "$work/bass.wav" "$work/bar.wav"
# Two passes, the second with a hi-hat of short noise bursts.
sox -R -n -r 44100 -c 2 "$work/hat.wav" synth 0.03 whitenoise vol 0.12 highpass 6000 pad 0 0.22 repeat 31
sox -m "$work/bar.wav" "$work/hat.wav" "$work/bar2.wav"
mkdir -p "$(dirname "$out")"
sox "$work/bar.wav" "$work/bar2.wav" --comment "strobe demo" -C 2 "$out" norm -1

# ID3v1: "TAG", title, artist, album (30 bytes each), year (4), comment (30), genre.
field() { printf '%s' "$1"; head -c $(( $2 - ${#1} )) /dev/zero; }
{ printf 'TAG'; field "Strobe Loop" 30; field "strobe" 30; field "strobe demo" 30; field "2026" 4
  field "made with sox" 30; printf '\x34'; } >>"$out"
echo "Wrote $out"
