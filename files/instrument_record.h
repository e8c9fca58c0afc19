// The instrument record: the whole sound of the engine on a byte stream. It is
// the instrument file ("v7i") and, in the same layout, the host chunk.
//
//   version, name, parameterCount, the parameters, the harmonic morph pair,
//   voices A-D, the formant curve, two reserved integers, three reserved
//   strings, then optionally the noise morph pair and the amplitude morph pair.
#pragma once

#include <cstdint>

namespace vt {

class ByteStream;
class PendingLoad;
class SynthEngine;
struct InstrumentView;

constexpr std::int32_t kInstrumentRecordVersion = 65538;
// The older layout: no Stretch and MorphAmp values of its own (fixed up on reading).
constexpr std::int32_t kOlderInstrumentRecordVersion = 65537;
constexpr int kReservedIntegers = 2;
constexpr int kReservedStrings = 3;

// Reads a record into a staged load: every element read is staged in record
// order, so that the engine adopts exactly the elements before a failure.
// parameterCount rules: 173 values are taken as they are; fewer are followed
// by zeros up to index 172; none (0 or less) means all zeros; more have their
// surplus read and dropped. Parameter values are limited to their ranges when the
// engine takes the load; a non-finite one takes the parameter's default. An absent
// noise or amplitude pair becomes a copy of the harmonic pair. False at the
// first element that fails or when the data ends early.
bool readInstrumentRecord(ByteStream& stream, PendingLoad& load);

// Writes the engine's instrument in the current layout; false when the
// stream refuses a write (use instrumentRecordSize to know beforehand). The
// engine form writes its host-visible parameters and live parts; the view
// form what a view names (a load not yet adopted included).
bool writeInstrumentRecord(ByteStream& stream, const SynthEngine& engine);
bool writeInstrumentRecord(ByteStream& stream, const InstrumentView& view);

// The number of bytes writeInstrumentRecord produces.
std::int64_t instrumentRecordSize(const SynthEngine& engine);
std::int64_t instrumentRecordSize(const InstrumentView& view);

}  // namespace vt
