// Reads Standard MIDI Files (format 0 and 1) into a MidiSequence: running
// status, tempo meta events, channel messages of every track merged in time.
// Malformed input (a truncated chunk, a length running past the end, a
// variable-length number longer than four bytes, a data byte with no status)
// is refused with a message; nothing is ever read outside the given bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "tools/render/midi_sequence.h"

namespace vt::render {

// Files larger than this are refused before they are read.
constexpr std::size_t kMaxMidiFileBytes = 64u << 20;
// At most this many channel messages are kept; more is an error.
constexpr std::size_t kMaxMidiEvents = 8u << 20;

// Parses a whole file image. On failure returns false, describes why in
// 'error' and leaves 'sequence' empty.
bool parseMidiFile(const std::uint8_t* data, std::size_t size, MidiSequence& sequence, std::string& error);

// Reads the file at 'path' and parses it.
bool readMidiFile(const std::string& path, MidiSequence& sequence, std::string& error);

}  // namespace vt::render
