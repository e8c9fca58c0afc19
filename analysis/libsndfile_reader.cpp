#include "analysis/libsndfile_reader.h"

#include <sndfile.h>

#include <cstring>

#include "analysis/sound_file_header.h"

namespace vt::analysis {

namespace {

using Cursor = LibsndfileReader::Cursor;

// libsndfile reads through these so that the header check, the instrument
// chunk scan and the decoder all see one opened file.
sf_count_t cursorLength(void* user) { return static_cast<sf_count_t>(static_cast<Cursor*>(user)->source.size()); }

sf_count_t cursorSeek(sf_count_t offset, int whence, void* user) {
  Cursor& c = *static_cast<Cursor*>(user);
  const sf_count_t size = static_cast<sf_count_t>(c.source.size());
  sf_count_t target = offset;
  if (whence == SEEK_CUR) target += c.position;
  if (whence == SEEK_END) target += size;
  if (target < 0) return -1;
  c.position = target;
  return target;
}

sf_count_t cursorRead(void* destination, sf_count_t count, void* user) {
  Cursor& c = *static_cast<Cursor*>(user);
  const sf_count_t size = static_cast<sf_count_t>(c.source.size());
  if (count <= 0 || c.position >= size) return 0;
  if (count > size - c.position) count = size - c.position;
  if (!c.source.read(static_cast<std::uint64_t>(c.position), destination, static_cast<std::size_t>(count))) return 0;
  c.position += count;
  return count;
}

sf_count_t cursorWrite(const void*, sf_count_t, void*) { return 0; }

sf_count_t cursorTell(void* user) { return static_cast<Cursor*>(user)->position; }

bool acceptedSubtype(int subtype) {
  switch (subtype) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_PCM_16:
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_DOUBLE:
      return true;
    default:
      return false;
  }
}

}  // namespace

LibsndfileReader::~LibsndfileReader() { close(); }

bool LibsndfileReader::open(const char* path) {
  close();
  if (!cursor.source.openFile(path)) return false;
  std::uint8_t start[12];
  const SoundFileType type =
      cursor.source.read(0, start, sizeof start) ? detectSoundFileType(start, sizeof start) : SoundFileType::Unknown;
  if (type != SoundFileType::Wave && type != SoundFileType::Aiff) {
    close();
    return false;
  }
  // Our own chunk walk must accept the file too, so that no file loads here
  // that the builds without libsndfile refuse (libsndfile also opens files
  // with absurd AIFF rates or bit widths it guesses at). The base note comes
  // from the walk as well: libsndfile reads no WAVE inst or AIFF INST note and
  // cuts smpl notes to a byte.
  SoundFileHeader header;
  if (!parseSoundFileHeader(cursor.source, header)) {
    close();
    return false;
  }

  SF_VIRTUAL_IO io = {cursorLength, cursorSeek, cursorRead, cursorWrite, cursorTell};
  SF_INFO sfInfo;
  std::memset(&sfInfo, 0, sizeof sfInfo);
  cursor.position = 0;
  file = sf_open_virtual(&io, SFM_READ, &sfInfo, &cursor);
  if (file == nullptr) {
    close();
    return false;
  }
  const int major = sfInfo.format & SF_FORMAT_TYPEMASK;
  const bool containerAgrees =
      type == SoundFileType::Wave ? (major == SF_FORMAT_WAV || major == SF_FORMAT_WAVEX) : major == SF_FORMAT_AIFF;
  if (!containerAgrees || !acceptedSubtype(sfInfo.format & SF_FORMAT_SUBMASK) || sfInfo.channels < 1 ||
      sfInfo.channels > kMaxChannels || sfInfo.samplerate < 1 || sfInfo.frames < 0) {
    close();
    return false;
  }
  fileInfo.type = type;
  fileInfo.sampleRate = sfInfo.samplerate;
  fileInfo.channels = sfInfo.channels;
  fileInfo.frames = sfInfo.frames;
  // libsndfile counts AIFF frames from the sound data alone; the COMM chunk's
  // count is the one that holds.
  if (type == SoundFileType::Aiff && header.frames < fileInfo.frames) fileInfo.frames = header.frames;
  remainingFrames = fileInfo.frames;
  fileInfo.baseNote = header.baseNote();
  return true;
}

void LibsndfileReader::close() {
  if (file != nullptr) sf_close(file);
  file = nullptr;
  cursor.source.close();
  cursor.position = 0;
  remainingFrames = 0;
  fileInfo = SoundFileInfo();
}

std::int64_t LibsndfileReader::read(float* interleaved, std::int64_t frames) {
  if (file == nullptr || interleaved == nullptr || frames < 0) return -1;
  if (frames > remainingFrames) frames = remainingFrames;
  if (frames == 0) return 0;
  const sf_count_t got = sf_readf_float(file, interleaved, frames);
  if (got < 0 || (got < frames && sf_error(file) != SF_ERR_NO_ERROR)) return -1;
  const std::size_t samples = static_cast<std::size_t>(got) * static_cast<std::size_t>(fileInfo.channels);
  for (std::size_t i = 0; i < samples; ++i) interleaved[i] = limitSample(interleaved[i]);
  remainingFrames -= got;
  return got;
}

}  // namespace vt::analysis
