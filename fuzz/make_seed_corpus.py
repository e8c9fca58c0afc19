#!/usr/bin/env python3
"""Writes the fuzzers' seed corpus: small valid harmonic blocks, noise blocks,
voice records, instrument records (both layouts) and WAVE/AIFF sound files,
one file per seed.

    fuzz/make_seed_corpus.py [output folder, default fuzz/corpus]
"""
import os
import struct
import sys


def i32(v):
    return struct.pack('<i', v)


def f32(v):
    return struct.pack('<f', v)


def string(text):
    return text.encode('ascii') + b'\0'


def curve(points):
    return i32(len(points)) + b''.join(f32(x) for x, _ in points) + b''.join(f32(y) for _, y in points)


def harmonic_block(base, harmonics):
    """'harmonics' amplitudes share the times 0, 0.25, 0.5; ratios are the harmonic numbers."""
    times = [0.0, 0.25, 0.5]
    out = f32(base)
    for h in range(64):
        out += curve([(t, a) for t, a in zip(times, harmonics[h])] if h < len(harmonics) else [])
    for h in range(64):
        out += curve([(t, h + 1.0) for t in times] if h < len(harmonics) else [])
    return out


def noise_block(frames):
    out = i32(len(frames))
    for time, level in frames:
        out += f32(time) + curve([(0.0, level), (0.5, level * 0.5), (1.0, 0.0)])
    return out


def voice(name, rows, layers, version=65538):
    out = i32(version) + string(name) + i32(1) + f32(0.1) + f32(0.3) + i32(rows) + i32(layers)
    if version > 65537:
        out += f32(22050.0)
    for r in range(rows):
        for _ in range(layers):
            out += harmonic_block(110.0 * (r + 1), [[0.5, 0.4, 0.0], [0.2, 0.1, 0.0]])
            out += noise_block([(0.0, 0.01), (0.2, 0.02)])
    return out


def instrument(name, count=173, older=False):
    out = i32(65537 if older else 65538) + string(name) + i32(count)
    out += b''.join(f32((i % 10) / 10.0) for i in range(max(count, 0)))
    out += curve([(0.0, 0.5), (1.0, 0.5)]) + curve([(0.0, 0.5)])
    for s in range(4):
        out += voice('v%d' % s, 1, 1 + s % 2)
    out += curve([(0.0, 1.0), (1.0, 1.0)])
    out += i32(0) + i32(0) + string('') * 3
    if not older:
        out += curve([(0.0, 0.2)]) + curve([(0.0, 0.3)]) + curve([]) + curve([(0.0, 1.0)])
    return out


def riff_chunk(chunk_id, payload, big=False):
    size = struct.pack('>I' if big else '<I', len(payload))
    return chunk_id + size + payload + (b'\0' if len(payload) % 2 else b'')


def wave(channels, bits, frames, float_format=False, big=False, extensible=False, extra=b''):
    """A short WAVE file; 'extra' chunks go between the format and the data."""
    e = '>' if big else '<'
    tag = 3 if float_format else 1
    block = channels * bits // 8
    fmt = struct.pack(e + 'HHIIHH', 0xFFFE if extensible else tag, channels, 44100, 44100 * block, block, bits)
    if extensible:
        fmt += struct.pack(e + 'HHIIHH', 22, bits, 0, tag, 0, 0x10) + bytes([0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71])
    data = bytes((i * 37) & 0xFF for i in range(frames * block))
    body = b'WAVE' + riff_chunk(b'fmt ', fmt, big) + extra + riff_chunk(b'data', data, big)
    return (b'RIFX' if big else b'RIFF') + struct.pack(e + 'I', len(body)) + body


def aiff(channels, bits, frames, extra=b''):
    """A short AIFF file at 44.1 kHz; 'extra' chunks follow the sound data."""
    rate = b'\x40\x0e\xac\x44' + b'\0' * 6
    comm = struct.pack('>hIh', channels, frames, bits) + rate
    data = bytes((i * 53) & 0xFF for i in range(frames * channels * ((bits + 7) // 8)))
    body = b'AIFF' + riff_chunk(b'COMM', comm, True) + riff_chunk(b'SSND', struct.pack('>II', 0, 0) + data, True)
    body += extra
    return b'FORM' + struct.pack('>I', len(body)) + body


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), 'corpus')
    seeds = {
        'fuzz_harmonic_block': {
            'empty.v7h': harmonic_block(100.0, []),
            'two_harmonics.v7h': harmonic_block(220.0, [[0.5, 0.4, 0.0], [0.2, 0.1, 0.0]]),
        },
        'fuzz_noise_block': {
            'empty.v7n': noise_block([]),
            'two_frames.v7n': noise_block([(0.0, 0.01), (0.2, 0.02)]),
        },
        'fuzz_voice_record': {
            'one_layer.v7v': voice('one', 1, 1),
            'older_two_rows.v7v': voice('old', 2, 2, 65537),
        },
        'fuzz_sound_file': {
            'pcm16_smpl.wav': wave(2, 16, 40, extra=riff_chunk(b'smpl', struct.pack('<9I', 0, 0, 22675, 60, 0, 0, 0, 0, 0))),
            'u8_inst.wav': wave(1, 8, 33, extra=riff_chunk(b'odd ', b'abc') + riff_chunk(b'inst', bytes([64, 0, 0, 0, 127, 1, 127]))),
            'float_ext.wav': wave(3, 32, 20, float_format=True, extensible=True),
            'rifx24.wav': wave(2, 24, 25, big=True),
            'double.wav': wave(1, 64, 12, float_format=True),
            'pcm16_inst.aiff': aiff(2, 16, 30, extra=riff_chunk(b'INST', bytes([55, 0, 0, 127, 1, 127]) + b'\0' * 14, True)),
            'pcm24.aiff': aiff(1, 24, 21),
        },
        'fuzz_instrument_record': {
            'current.v7i': instrument('current'),
            'older.v7i': instrument('older', older=True),
            'short_parameters.v7i': instrument('short', count=170),
        },
    }
    for target, files in seeds.items():
        folder = os.path.join(root, target)
        os.makedirs(folder, exist_ok=True)
        for name, data in files.items():
            with open(os.path.join(folder, name), 'wb') as f:
                f.write(data)


if __name__ == '__main__':
    main()
