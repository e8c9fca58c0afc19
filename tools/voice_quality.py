#!/usr/bin/python3
"""Resynthesis quality of vt7000-voice on a corpus of single notes.

usage: tools/voice_quality.py [--tool PATH] [--work DIR] [--soundfont SF2] [--metrics PATH]
                              [--variants standard,no-reduction,blended]

Builds the corpus (not committed): single notes across pitch and family (piano, plucked, bowed, blown,
voice, mallet, organ) rendered from the General MIDI sound font of Debian's fluid-soundfont-gm (MIT)
with fluidsynth, reverb and chorus off, from small MIDI files written here. Then, for every note and
every variant, runs `vt7000-voice NOTE.wav --note N --preview PREVIEW.wav` and the quality measures
(`metrics.py ORIGINAL PREVIEW`), and prints one line per note and a summary: median and worst mel
distance (mel_lsd_gaincomp_db), median harmonic SNR, median watery value, the largest pitch error,
and the median run time of the tool per second of audio.

Variants: standard (the voice as stored, its multisample soloed), no-reduction (as many breakpoints
as the voice format holds: what the standard envelope reduction costs), blended (the stored voice
played through the key and velocity blend that unsoloed notes use).
Needs: fluidsynth, fluid-soundfont-gm, python3-numpy, python3-scipy.
"""
import argparse
import warnings
import json
import os
import statistics
import subprocess
import sys
import time

warnings.filterwarnings("ignore", message="Chunk")
HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, HERE)
from gm_midi import midi_file  # noqa: E402

# (name, GM program (0-based), MIDI note, seconds held, family)
CORPUS = [
    ("piano_c2", 0, 36, 4.0, "piano"),
    ("piano_c4", 0, 60, 4.0, "piano"),
    ("piano_c6", 0, 84, 3.0, "piano"),
    ("epiano_e4", 4, 64, 3.0, "piano"),
    ("nylon_e3", 24, 52, 3.0, "plucked"),
    ("steel_a2", 25, 45, 3.0, "plucked"),
    ("harp_g4", 46, 67, 3.0, "plucked"),
    ("bass_e2", 32, 40, 3.0, "plucked"),
    ("violin_g4", 40, 67, 3.0, "bowed"),
    ("violin_g5", 40, 79, 2.0, "bowed"),
    ("cello_c3", 42, 48, 4.0, "bowed"),
    ("flute_c5", 73, 72, 3.0, "blown"),
    ("clarinet_g3", 71, 55, 3.0, "blown"),
    ("oboe_a4", 68, 69, 2.0, "blown"),
    ("trumpet_d4", 56, 62, 3.0, "blown"),
    ("horn_f3", 60, 53, 3.0, "blown"),
    ("sax_cs4", 65, 61, 3.0, "blown"),
    ("choir_a3", 52, 57, 3.0, "voice"),
    ("oohs_e4", 53, 64, 3.0, "voice"),
    ("vibes_f4", 11, 65, 4.0, "mallet"),
    ("marimba_c5", 12, 72, 2.0, "mallet"),
    ("xylophone_g5", 13, 79, 2.0, "mallet"),
    ("organ_g2", 19, 43, 3.0, "organ"),
]
RELEASE_SECONDS = 1.0  # rendered after the note-off
VELOCITY = 100
VARIANTS = {
    "standard": [],
    "no-reduction": ["--no-reduction"],
    "blended": ["--preview-blended"],
}


def note_midi_file(program, note, seconds):
    """Program change, one note held for seconds, then the release time."""
    return midi_file(program, [(0.0, seconds, note, VELOCITY)], seconds + RELEASE_SECONDS)


def render_note(work, soundfont, name, program, note, seconds):
    """The note as a recording would come: mono, 32-bit float, its peak at -1 dBFS."""
    import numpy as np
    import scipy.io.wavfile as wavfile
    wav = os.path.join(work, name + ".wav")
    if os.path.exists(wav):
        return wav
    mid = os.path.join(work, name + ".mid")
    raw = os.path.join(work, name + ".raw.wav")
    with open(mid, "wb") as f:
        f.write(note_midi_file(program, note, seconds))
    subprocess.run(["fluidsynth", "-ni", "-R", "0", "-C", "0", "-r", "44100", "-O", "float", "-F", raw, soundfont, mid],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    rate, x = wavfile.read(raw)
    x = x.astype(np.float64)
    if x.ndim > 1:
        x = x.mean(axis=1)
    peak = np.abs(x).max()
    if peak > 0:
        x *= 10 ** (-1 / 20) / peak
    wavfile.write(wav, rate, x.astype(np.float32))
    os.remove(raw)
    return wav


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--tool", default=os.path.join(ROOT, "build/default/out/vt7000-voice"))
    ap.add_argument("--work", default=os.path.join(ROOT, "build/quality"))
    ap.add_argument("--soundfont", default="/usr/share/sounds/sf2/FluidR3_GM.sf2")
    ap.add_argument("--metrics", default="/work/shared/quality/metrics.py")
    ap.add_argument("--variants", default="standard,no-reduction,blended")
    args = ap.parse_args()
    os.makedirs(args.work, exist_ok=True)
    variants = [v for v in args.variants.split(",") if v]
    for v in variants:
        if v not in VARIANTS:
            sys.exit("unknown variant " + v)

    results = {v: [] for v in variants}
    for name, program, note, seconds, family in CORPUS:
        wav = render_note(args.work, args.soundfont, name, program, note, seconds)
        for v in variants:
            preview = os.path.join(args.work, "%s.%s.preview.wav" % (name, v))
            start = time.perf_counter()
            run = subprocess.run([args.tool, wav, "--note", str(note), "--preview", preview] + VARIANTS[v],
                                 capture_output=True, text=True)
            elapsed = time.perf_counter() - start
            if run.returncode != 0:
                print("%-14s %-12s vt7000-voice failed: %s" % (name, v, run.stderr.strip()))
                continue
            seconds_analysed = float(run.stdout.strip().split(", ")[-1].split()[0])
            m = json.loads(subprocess.run(["/usr/bin/python3", args.metrics, wav, preview], check=True,
                                          capture_output=True, text=True).stdout)
            r = {
                "name": name,
                "family": family,
                "mel": m["mel_lsd_gaincomp_db"],
                "snr": m["harmonic_snr_db"],
                "watery": m["watery_db"],
                "cents": m["f0"]["diff_cents"],
                "level": m["level_diff_db"],
                "per_second": elapsed / max(seconds_analysed, 1e-9),
                "line": run.stdout.strip().split(": ", 1)[1],
            }
            results[v].append(r)
            print("%-14s %-12s mel %6.2f dB  snr %6s dB  watery %+6.2f dB  pitch %6s c  level %+6.1f dB  | %s" %
                  (name, v, r["mel"], "-" if r["snr"] is None else "%.1f" % r["snr"], r["watery"],
                   "-" if r["cents"] is None else "%+.1f" % r["cents"], r["level"], r["line"]), flush=True)

    print()
    for v in variants:
        rs = results[v]
        if not rs:
            continue
        mel = [r["mel"] for r in rs]
        snr = [r["snr"] for r in rs if r["snr"] is not None]
        cents = [abs(r["cents"]) for r in rs if r["cents"] is not None]
        worst = max(rs, key=lambda r: r["mel"])
        print("%-12s notes %d  mel median %.2f dB, worst %.2f dB (%s), above 4 dB: %d  harmonic SNR median %s dB  "
              "watery median %+.2f dB, worst %+.2f dB  pitch error max %s cents  tool time median %.3f s per s" %
              (v, len(rs), statistics.median(mel), worst["mel"], worst["name"], sum(1 for x in mel if x > 4.0),
               "%.1f" % statistics.median(snr) if snr else "-", statistics.median(r["watery"] for r in rs),
               max(r["watery"] for r in rs), "%.1f" % max(cents) if cents else "-",
               statistics.median(r["per_second"] for r in rs)))


if __name__ == "__main__":
    main()
