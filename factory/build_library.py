#!/usr/bin/python3
"""Rebuilds the factory library from recordings: render -> analyse -> assemble.

usage: factory/build_library.py [all|render|analyse|assemble|quality|previews] [--work DIR] [--out DIR]
       factory/build_library.py spectrogram IN.wav OUT.png

  render    single notes of the General MIDI sound font of Debian's fluid-soundfont-gm (FluidR3_GM, MIT,
            see factory/SOUNDFONT-COPYRIGHT) played by fluidsynth with reverb and chorus off, from small
            MIDI files written here, into WORK/notes/ (not committed). Every note file carries its MIDI
            note in the WAV sampler chunk, so vt7000-voice reads its root from the header.
  analyse   one vt7000-voice run per voice of SOURCES: the soft notes become the multisample rows, the
            loud notes (only for sources that sound different when played hard) the loud layer; the
            voices land in WORK/voices/<Category>/<Name>.v7v, each checked to stay under 1 MB.
  assemble  vt7000-factory --voices WORK/voices OUT (default factory/data, emptied first): the
            instruments of factory/library_plan.cpp, levels matched in the engine; prints the loudness table.
  quality   for every source note, the mel distance between the note and the preview of its analysis
            (`vt7000-voice NOTE --note N --preview`, /work/shared/quality/metrics.py), median and worst
            per category.
  previews  a short phrase through the plug-in for every factory instrument, into WORK/previews/.
  all       render, analyse, assemble, quality (the committed factory/data is its output).
Needs: fluidsynth, fluid-soundfont-gm, python3-numpy, python3-scipy, and the build (vt7000-voice,
vt7000-factory, vt7000-render, VT7000.so in build/default/out).
"""
import argparse
import json
import os
import shutil
import statistics
import struct
import subprocess
import sys
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools"))
from gm_midi import midi_file  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
OUT = os.path.join(ROOT, "build/default/out")
SOUNDFONT = "/usr/share/sounds/sf2/FluidR3_GM.sf2"
METRICS = "/work/shared/quality/metrics.py"
RATE = 44100
SOFT, LOUD, PLAIN = 64, 120, 100  # velocities: soft and loud layer, or the one layer
VOICE_LIMIT = 1024 * 1024

# (voice name, category, GM program (0-based), root notes, loud layer?, seconds held)
SOURCES = [
    ("Finger Bass", "Basses", 33, [28, 40, 52], True, 3.0),
    ("Fretless Bass", "Basses", 35, [28, 40, 52], False, 3.0),
    ("Acoustic Bass", "Basses", 32, [28, 40, 52], False, 3.0),
    ("Synth Bass", "Basses", 38, [36, 48, 60], True, 2.5),
    ("Trumpet", "Brass-Winds", 56, [55, 67, 79], True, 3.0),
    ("French Horn", "Brass-Winds", 60, [41, 53, 65], False, 3.0),
    ("Brass Section", "Brass-Winds", 61, [48, 60, 72], True, 3.0),
    ("Alto Sax", "Brass-Winds", 65, [49, 61, 73], True, 3.0),
    ("Flute", "Brass-Winds", 73, [60, 72, 84], False, 3.0),
    ("Clarinet", "Brass-Winds", 71, [50, 62, 74], False, 3.0),
    ("Vibraphone", "Chromatics", 11, [53, 65, 77], False, 3.5),
    ("Marimba", "Chromatics", 12, [48, 60, 72, 84], False, 2.0),
    ("Celesta", "Chromatics", 8, [60, 72, 84], False, 3.0),
    ("Tubular Bells", "Chromatics", 14, [60, 72], False, 4.0),
    ("Nylon Guitar", "Guitars", 24, [40, 52, 64, 76], True, 3.0),
    ("Steel Guitar", "Guitars", 25, [40, 52, 64, 76], True, 3.0),
    ("Clean Guitar", "Guitars", 27, [40, 52, 64, 76], False, 3.0),
    ("Overdrive Guitar", "Guitars", 29, [40, 52, 64], False, 3.0),
    ("Drawbar Organ", "Organs", 16, [36, 48, 60, 72, 84], False, 3.0),
    ("Percussive Organ", "Organs", 17, [36, 48, 60, 72], False, 3.0),
    ("Church Organ", "Organs", 19, [36, 48, 60, 72], False, 3.5),
    ("Accordion", "Organs", 21, [48, 60, 72], False, 3.0),
    ("Grand Piano", "Pianos", 0, [36, 48, 60, 72, 84], True, 3.5),
    ("Electric Piano", "Pianos", 4, [40, 52, 64, 76], True, 3.0),
    ("FM Piano", "Pianos", 5, [40, 52, 64, 76], False, 3.0),
    ("Harpsichord", "Pianos", 6, [41, 53, 65, 77], False, 2.5),
    ("String Ensemble", "Strings", 48, [43, 55, 67, 79], True, 3.5),
    ("Slow Strings", "Strings", 49, [43, 55, 67, 79], False, 4.0),
    ("Violin", "Strings", 40, [55, 67, 79], False, 3.0),
    ("Cello", "Strings", 42, [36, 48, 60], False, 3.5),
    ("Pizzicato", "Strings", 45, [43, 55, 67], False, 2.0),
    ("Square Lead", "Synth Leads", 80, [48, 60, 72, 84], False, 3.0),
    ("Saw Lead", "Synth Leads", 81, [48, 60, 72, 84], False, 3.0),
    ("Calliope", "Synth Leads", 82, [60, 72, 84], False, 3.0),
    ("Warm Pad", "Synth Pads", 89, [48, 60, 72], False, 4.0),
    ("Polysynth", "Synth Pads", 90, [48, 60, 72], False, 4.0),
    ("Sweep Pad", "Synth Pads", 95, [48, 60, 72], False, 5.0),
    ("Halo Pad", "Synth Pads", 94, [48, 60, 72], False, 4.0),
    ("Choir Aahs", "Voices", 52, [48, 60, 72], False, 4.0),
    ("Voice Oohs", "Voices", 53, [48, 60, 72], False, 4.0),
    ("Synth Choir", "Voices", 54, [48, 60, 72], False, 4.0),
    ("Choir Pad", "Voices", 91, [48, 60, 72], False, 4.0),
]
RELEASE_SECONDS = 0.8  # rendered after the note-off


def note_name(n):
    return ["C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"][n % 12] + str(n // 12 - 1)


def write_note_wav(path, samples, note):
    """Mono 32-bit float WAV with a sampler chunk naming the note as the unity note."""
    import numpy as np
    data = np.asarray(samples, dtype="<f4").tobytes()
    fmt = struct.pack("<HHIIHH", 3, 1, RATE, RATE * 4, 4, 32)
    smpl = struct.pack("<9I", 0, 0, 1000000000 // RATE, note, 0, 0, 0, 0, 0)
    body = (b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"smpl" + struct.pack("<I", len(smpl)) + smpl +
            b"fact" + struct.pack("<II", 4, len(samples)) + b"data" + struct.pack("<I", len(data)) + data)
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", len(body)) + body)


def read_wav(path):
    import numpy as np
    import scipy.io.wavfile as wavfile
    import warnings
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        rate, x = wavfile.read(path)
    x = x.astype(np.float64)
    if x.dtype.kind == "i":
        x /= 32768.0
    return rate, x


def note_path(work, voice, note, velocity):
    return os.path.join(work, "notes", "%s_%s_v%d.wav" % (voice.replace(" ", "-"), note_name(note).replace("#", "s"),
                                                          velocity))


def voice_notes(source):
    """(note, velocity, loud?) of a source voice."""
    name, category, program, roots, loud, seconds = source
    if loud:
        return [(n, SOFT, False) for n in roots] + [(n, LOUD, True) for n in roots]
    return [(n, PLAIN, False) for n in roots]


def render(work):
    import numpy as np
    os.makedirs(os.path.join(work, "notes"), exist_ok=True)
    count = 0
    for source in SOURCES:
        name, category, program, roots, loud, seconds = source
        for note, velocity, _ in voice_notes(source):
            wav = note_path(work, name, note, velocity)
            if os.path.exists(wav):
                continue
            mid = wav[:-4] + ".mid"
            raw = wav[:-4] + ".raw.wav"
            with open(mid, "wb") as f:
                f.write(midi_file(program, [(0.0, seconds, note, velocity)], seconds + RELEASE_SECONDS))
            subprocess.run(["fluidsynth", "-ni", "-R", "0", "-C", "0", "-r", str(RATE), "-O", "float", "-F", raw,
                            SOUNDFONT, mid], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            _, x = read_wav(raw)
            if x.ndim > 1:
                x = x.mean(axis=1)
            peak = np.abs(x).max()
            if peak > 0:
                x *= 10 ** (-1 / 20) / peak
            write_note_wav(wav, x, note)
            os.remove(raw)
            os.remove(mid)
            count += 1
    print("render: %d new notes in %s" % (count, os.path.join(work, "notes")))


def voice_path(work, name, category):
    return os.path.join(work, "voices", category, name + ".v7v")


def analyse(work):
    for source in SOURCES:
        name, category, program, roots, loud, seconds = source
        out = voice_path(work, name, category)
        os.makedirs(os.path.dirname(out), exist_ok=True)
        args = [os.path.join(OUT, "vt7000-voice")]
        for note, velocity, is_loud in voice_notes(source):
            args += (["--loud"] if is_loud else []) + [note_path(work, name, note, velocity)]
        args += ["--voice", out]
        run = subprocess.run(args, capture_output=True, text=True)
        if run.returncode != 0:
            sys.exit("vt7000-voice failed for %s: %s" % (name, run.stderr.strip()))
        size = os.path.getsize(out)
        if size >= VOICE_LIMIT:
            sys.exit("%s is %d bytes: a voice must stay under 1 MB" % (out, size))
        print("analyse: %-18s %-12s %d rows%s, %7d bytes" % (name, category, len(roots), " x 2 layers" if loud else "",
                                                              size))


def assemble(work, out):
    if os.path.isdir(out):
        shutil.rmtree(out)
    run = subprocess.run([os.path.join(OUT, "vt7000-factory"), "--voices", os.path.join(work, "voices"), out])
    if run.returncode != 0:
        sys.exit("vt7000-factory failed")
    for folder, _, files in os.walk(out):
        for f in files:
            if os.path.getsize(os.path.join(folder, f)) >= VOICE_LIMIT:
                sys.exit("%s is 1 MB or more" % os.path.join(folder, f))


def quality(work):
    previews = os.path.join(work, "quality")
    os.makedirs(previews, exist_ok=True)
    per_category = {}
    print("%-18s %-12s %-5s %-4s %s" % ("voice", "category", "note", "vel", "mel_lsd_gaincomp_db"))
    for source in SOURCES:
        name, category = source[0], source[1]
        for note, velocity, _ in voice_notes(source):
            wav = note_path(work, name, note, velocity)
            preview = os.path.join(previews, os.path.basename(wav)[:-4] + ".preview.wav")
            subprocess.run([os.path.join(OUT, "vt7000-voice"), wav, "--note", str(note), "--preview", preview],
                           check=True, capture_output=True)
            m = json.loads(subprocess.run(["/usr/bin/python3", METRICS, wav, preview], check=True,
                                          capture_output=True, text=True).stdout)
            mel = m["mel_lsd_gaincomp_db"]
            per_category.setdefault(category, []).append((mel, "%s %s v%d" % (name, note_name(note), velocity)))
            print("%-18s %-12s %-5s %-4d %.2f" % (name, category, note_name(note), velocity, mel), flush=True)
    print()
    print("%-12s %5s %8s %8s  %s" % ("category", "notes", "median", "worst", "worst note"))
    everything = []
    for category in sorted(per_category):
        values = per_category[category]
        everything += values
        worst = max(values)
        print("%-12s %5d %8.2f %8.2f  %s" % (category, len(values), statistics.median(v for v, _ in values), worst[0],
                                            worst[1]))
    worst = max(everything)
    print("%-12s %5d %8.2f %8.2f  %s" % ("all", len(everything), statistics.median(v for v, _ in everything), worst[0],
                                        worst[1]))


# A short phrase for previews: a chord under a melody, two bars at 120 bpm.
def phrase_events():
    events = [(0.0, 1.9, n, 80) for n in (48, 55, 60, 64)] + [(2.0, 1.9, n, 80) for n in (45, 52, 57, 60)]
    t = 0.0
    for note, length in ((67, 0.5), (69, 0.25), (71, 0.25), (72, 1.0), (71, 0.5), (69, 0.5), (67, 1.0)):
        events.append((t, length - 0.05, note, 100))
        t += length
    return events


def instrument_files(data):
    root = os.path.join(data, "Veltrane7000Data", "Instruments-Factory")
    found = []
    for category in sorted(os.listdir(root)):
        for f in sorted(os.listdir(os.path.join(root, category))):
            if f.endswith(".v7i"):
                found.append((category, f[:-4], os.path.join(root, category, f)))
    return found


def previews(work, data):
    folder = os.path.join(work, "previews")
    os.makedirs(folder, exist_ok=True)
    for old in os.listdir(folder):  # previews of instruments the library no longer holds
        if old.endswith(".wav"):
            os.remove(os.path.join(folder, old))
    mid = os.path.join(folder, "phrase.mid")
    with open(mid, "wb") as f:
        f.write(midi_file(0, phrase_events(), 4.0))
    for category, name, path in instrument_files(data):
        wav = os.path.join(folder, "%s - %s.wav" % (category, name))
        subprocess.run([os.path.join(OUT, "vt7000-render"), os.path.join(OUT, "VT7000.so"), "--midi", mid, "--instrument",
                        path, "--seconds", "1.5", "--out", wav], check=True, stdout=subprocess.DEVNULL)
        print(wav)


def png_bytes(image):
    """An 8-bit RGB PNG of an (h, w, 3) uint8 array."""
    h, w, _ = image.shape
    raw = b"".join(b"\x00" + image[y].tobytes() for y in range(h))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def spectrogram(wav, png):
    """A log-frequency spectrogram (30 Hz - 16 kHz, 80 dB range) of a WAV file, as a PNG."""
    import numpy as np
    rate, x = read_wav(wav)
    if x.ndim > 1:
        x = x.mean(axis=1)
    size, hop = 4096, 256
    x = np.concatenate([np.zeros(size // 2), x, np.zeros(size)])
    frames = max(1, (len(x) - size) // hop)
    window = np.hanning(size)
    spectra = np.array([np.abs(np.fft.rfft(x[i * hop:i * hop + size] * window)) for i in range(frames)])
    height = 400
    freqs = 30.0 * (16000.0 / 30.0) ** (np.arange(height)[::-1] / (height - 1))
    bins = np.clip(np.round(freqs * size / rate).astype(int), 0, size // 2)
    db = 20 * np.log10(spectra[:, bins].T + 1e-9)
    level = np.clip((db - (db.max() - 80.0)) / 80.0, 0.0, 1.0)
    # Black through violet and orange to pale yellow.
    stops = np.array([[0, 0, 0], [70, 20, 110], [200, 60, 60], [250, 170, 40], [255, 255, 200]], dtype=float)
    position = level * (len(stops) - 1)
    low = np.floor(position).astype(int).clip(0, len(stops) - 2)
    t = (position - low)[..., None]
    image = (stops[low] * (1 - t) + stops[low + 1] * t).astype(np.uint8)
    with open(png, "wb") as f:
        f.write(png_bytes(image))


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "spectrogram":
        spectrogram(sys.argv[2], sys.argv[3])
        return
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("stage", nargs="?", default="all",
                    choices=["all", "render", "analyse", "assemble", "quality", "previews"])
    ap.add_argument("--work", default=os.path.join(ROOT, "build/factory"))
    ap.add_argument("--out", default=os.path.join(HERE, "data"))
    args = ap.parse_args()
    if args.stage in ("all", "render"):
        render(args.work)
    if args.stage in ("all", "analyse"):
        analyse(args.work)
    if args.stage in ("all", "assemble"):
        assemble(args.work, args.out)
    if args.stage in ("all", "quality"):
        quality(args.work)
    if args.stage == "previews":
        previews(args.work, args.out)


if __name__ == "__main__":
    main()
