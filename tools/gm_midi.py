"""Small Standard MIDI Files for the scripts that render notes of the General MIDI sound font."""
import struct


def vlq(n):
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.append(0x80 | (n & 0x7F))
        n >>= 7
    return bytes(reversed(out))


def midi_file(program, events, end_seconds):
    """A format-0 Standard MIDI File at 120 bpm (960 ticks a second): program change and the
    notes (start seconds, length seconds, note, velocity)."""
    division = 480
    timeline = []
    for start, length, note, velocity in events:
        timeline.append((int(round(start * 960)), 1, bytes([0x90, note, velocity])))
        timeline.append((int(round((start + length) * 960)), 0, bytes([0x80, note, 0])))
    timeline.sort(key=lambda e: (e[0], e[1]))
    track = vlq(0) + bytes([0xC0, program])
    now = 0
    for tick, _, message in timeline:
        track += vlq(tick - now) + message
        now = tick
    track += vlq(max(0, int(end_seconds * 960) - now)) + bytes([0xFF, 0x2F, 0x00])
    return b"MThd" + struct.pack(">IHHH", 6, 0, 1, division) + b"MTrk" + struct.pack(">I", len(track)) + track
