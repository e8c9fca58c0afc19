#include "analysis/sound_file_header.h"

#include <cmath>
#include <cstring>

#include "analysis/byte_order.h"

namespace vt::analysis {

namespace {

constexpr int kMaxChunks = 4096;          // real files hold a handful; garbage could hold millions
constexpr std::size_t kFormatBytes = 40;  // the longest format chunk we look into
constexpr std::uint16_t kWavePcm = 0x0001;
constexpr std::uint16_t kWaveFloat = 0x0003;
constexpr std::uint16_t kWaveExtensible = 0xFFFE;

std::uint32_t fourCc(const char* id) {
  return static_cast<std::uint32_t>(static_cast<std::uint8_t>(id[0])) << 24 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(id[1])) << 16 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(id[2])) << 8 | static_cast<std::uint8_t>(id[3]);
}

// Chunk ids are four printable ASCII characters; anything else means the walk
// has lost its way in a damaged file.
bool printableId(const std::uint8_t* id) {
  for (int i = 0; i < 4; ++i)
    if (id[i] < 0x20 || id[i] > 0x7E) return false;
  return true;
}

int validNote(std::uint32_t note) { return note >= 1 && note <= 127 ? static_cast<int>(note) : 0; }

// An 80-bit IEEE extended number (AIFF sample rate) as a whole number of Hz;
// 0 for negative, tiny, huge or malformed values.
int extendedToRate(const std::uint8_t* p) {
  if ((p[0] & 0x80) != 0) return 0;
  const int exponent = ((p[0] & 0x7F) << 8 | p[1]) - 16383;
  std::uint64_t mantissa = 0;
  for (int i = 2; i < 10; ++i) mantissa = mantissa << 8 | p[i];
  if (exponent < 0 || exponent > 30 || mantissa == 0) return 0;
  const double value = std::ldexp(static_cast<double>(mantissa), exponent - 63);
  return static_cast<int>(value);
}

// Sample format from a WAVE format tag and bit width.
bool waveFormat(std::uint16_t tag, int bits, SoundFileHeader& header) {
  if (tag == kWavePcm) {
    if (bits < 1 || bits > 32) return false;
    header.bytesPerSample = (bits + 7) / 8;
    header.encoding = header.bytesPerSample == 1 ? SampleEncoding::UnsignedInt : SampleEncoding::SignedInt;
    return true;
  }
  if (tag == kWaveFloat) {
    if (bits != 32 && bits != 64) return false;
    header.bytesPerSample = bits / 8;
    header.encoding = SampleEncoding::Float;
    return true;
  }
  return false;
}

bool parseWaveFormat(const std::uint8_t* body, std::uint32_t size, bool bigEndian, SoundFileHeader& header) {
  if (size < 16) return false;
  std::uint16_t tag = loadUint16(body, bigEndian);
  header.channels = loadUint16(body + 2, bigEndian);
  const std::uint32_t rate = loadUint32(body + 4, bigEndian);
  header.sampleRate = rate <= 0x7FFFFFFFu ? static_cast<int>(rate) : 0;
  const int bits = loadUint16(body + 14, bigEndian);
  if (tag == kWaveExtensible) {
    // The sub-format GUID: its first field picks PCM (1) or float (3); the
    // rest must be the standard tail or the ambisonic B-format one.
    static const std::uint8_t kStandardTail[8] = {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    static const std::uint8_t kAmbisonicTail[8] = {0x86, 0x44, 0xC8, 0xC1, 0xCA, 0x00, 0x00, 0x00};
    if (size < 40) return false;
    const std::uint32_t sub = loadUint32(body + 24, bigEndian);
    const std::uint16_t d2 = loadUint16(body + 28, bigEndian);
    const std::uint16_t d3 = loadUint16(body + 30, bigEndian);
    const bool standard = d2 == 0x0000 && d3 == 0x0010 && std::memcmp(body + 32, kStandardTail, 8) == 0;
    const bool ambisonic = d2 == 0x0721 && d3 == 0x11D3 && std::memcmp(body + 32, kAmbisonicTail, 8) == 0;
    if ((!standard && !ambisonic) || (sub != kWavePcm && sub != kWaveFloat)) return false;
    tag = static_cast<std::uint16_t>(sub);
  }
  return waveFormat(tag, bits, header);
}

bool parseAiffCommon(const std::uint8_t* body, std::uint32_t size, SoundFileHeader& header) {
  if (size < 18) return false;
  const int channels = static_cast<std::int16_t>(loadUint16(body, true));
  const int bits = static_cast<std::int16_t>(loadUint16(body + 6, true));
  header.channels = channels > 0 ? channels : 0;
  header.sampleRate = extendedToRate(body + 8);
  if (bits < 8 || bits > 32) return false;  // AIFF samples are at least a byte wide
  header.bytesPerSample = (bits + 7) / 8;
  header.encoding = SampleEncoding::SignedInt;
  return true;
}

}  // namespace

bool parseSoundFileHeader(ByteSource& source, SoundFileHeader& header) {
  header = SoundFileHeader();
  std::uint8_t start[12];
  if (!source.read(0, start, sizeof start)) return false;
  header.type = detectSoundFileType(start, sizeof start);
  if (header.type != SoundFileType::Wave && header.type != SoundFileType::Aiff) return false;
  const bool wave = header.type == SoundFileType::Wave;
  const bool bigEndian = !wave || std::memcmp(start, "RIFX", 4) == 0;
  header.bigEndian = bigEndian;
  const std::uint32_t containerSize = loadUint32(start + 4, bigEndian);

  const std::uint64_t fileSize = source.size();
  bool haveFormat = false, formatAccepted = false, haveData = false;
  std::uint64_t dataBytes = 0;
  std::uint64_t aiffFrames = 0;  // the COMM chunk's frame count
  std::uint64_t position = 12;
  for (int chunk = 0; chunk < kMaxChunks && position + 8 <= fileSize; ++chunk) {
    std::uint8_t chunkHeader[8];
    if (!source.read(position, chunkHeader, sizeof chunkHeader)) return false;
    if (!printableId(chunkHeader)) break;
    const std::uint32_t id = fourCc(reinterpret_cast<const char*>(chunkHeader));
    const std::uint32_t size = loadUint32(chunkHeader + 4, bigEndian);
    const std::uint64_t body = position + 8;
    const std::uint64_t available = fileSize - body;
    std::uint8_t bytes[kFormatBytes] = {};
    const std::size_t wanted = size < kFormatBytes ? size : kFormatBytes;
    const bool whole = size <= available;  // the chunk lies inside the file

    if (wave && id == fourCc("fmt ")) {
      if (!haveFormat) {  // a second format chunk is ignored
        haveFormat = true;
        formatAccepted = whole && source.read(body, bytes, wanted) && parseWaveFormat(bytes, size, bigEndian, header);
      }
    } else if (!wave && id == fourCc("COMM")) {
      if (!haveFormat) {
        haveFormat = true;
        formatAccepted = whole && source.read(body, bytes, wanted) && parseAiffCommon(bytes, size, header);
        if (formatAccepted) aiffFrames = loadUint32(bytes + 2, true);
      }
    } else if (wave && id == fourCc("data")) {
      if (!haveFormat) return false;  // samples before their format
      haveData = true;
      header.dataOffset = body;
      dataBytes = size;
      // A writer that never finished its file leaves both sizes at their start values.
      if (size == 0 && containerSize == 8 && fileSize > 44) dataBytes = available;
      if (dataBytes > available) dataBytes = available;  // a cut-off file keeps what it holds
    } else if (!wave && id == fourCc("SSND")) {
      // The block offset says how far into the chunk the samples begin; a file
      // cut off before the samples holds none.
      std::uint8_t offsets[8] = {};
      if (size < 8) return false;
      const std::uint32_t skip = source.read(body, offsets, sizeof offsets) ? loadUint32(offsets, true) : 0;
      if (skip > size - 8) return false;  // samples said to start past the chunk
      haveData = true;
      header.dataOffset = body + 8 + skip;
      dataBytes = size - 8 - skip;
      const std::uint64_t inFile = header.dataOffset <= fileSize ? fileSize - header.dataOffset : 0;
      if (dataBytes > inFile) dataBytes = inFile;
    } else if (id == fourCc("PEAK")) {
      // A peak chunk holds one entry per channel after the format; one that
      // disagrees marks a damaged header (a channel count gone wrong).
      if (!haveFormat || size != 8u + 8u * static_cast<std::uint32_t>(header.channels)) return false;
    } else if (wave && id == fourCc("smpl")) {
      if (whole && size >= 16 && source.read(body, bytes, 16))
        header.samplerNote = validNote(loadUint32(bytes + 12, bigEndian));
    } else if (wave && id == fourCc("inst")) {
      if (whole && size >= 1 && source.read(body, bytes, 1)) header.instrumentNote = validNote(bytes[0]);
    } else if (!wave && id == fourCc("INST")) {
      if (whole && size >= 1 && source.read(body, bytes, 1)) header.instrumentNote = validNote(bytes[0]);
    }
    position = body + size + (size & 1u);  // chunks start on even offsets
  }

  if (!haveFormat || !formatAccepted || !haveData) return false;
  if (header.channels < 1 || header.channels > SoundFileReader::kMaxChannels || header.sampleRate < 1) return false;
  std::uint64_t frames = dataBytes / static_cast<std::uint64_t>(header.frameBytes());
  // AIFF names its frame count; the pad byte after an odd-length sound is no sample.
  if (!wave && frames > aiffFrames) frames = aiffFrames;
  header.frames = static_cast<std::int64_t>(frames);
  return true;
}

}  // namespace vt::analysis
