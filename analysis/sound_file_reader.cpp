#include "analysis/sound_file_reader.h"

#include <cstring>
#include <new>

#include "analysis/wave_aiff_reader.h"
#ifdef VT7000_HAVE_LIBSNDFILE
#include "analysis/libsndfile_reader.h"
#endif

namespace vt::analysis {

SoundFileType detectSoundFileType(const std::uint8_t* header, std::size_t size) {
  if (header == nullptr || size < 12) return SoundFileType::Unknown;
  const char* bytes = reinterpret_cast<const char*>(header);
  if ((std::memcmp(bytes, "RIFF", 4) == 0 || std::memcmp(bytes, "RIFX", 4) == 0) &&
      std::memcmp(bytes + 8, "WAVE", 4) == 0)
    return SoundFileType::Wave;
  if (std::memcmp(bytes, "FORM", 4) == 0) {
    if (std::memcmp(bytes + 8, "AIFF", 4) == 0) return SoundFileType::Aiff;
    if (std::memcmp(bytes + 8, "AIFC", 4) == 0) return SoundFileType::Aifc;
  }
  return SoundFileType::Unknown;
}

std::unique_ptr<SoundFileReader> createSoundFileReader() {
#ifdef VT7000_HAVE_LIBSNDFILE
  return std::unique_ptr<SoundFileReader>(new (std::nothrow) LibsndfileReader());
#else
  return std::unique_ptr<SoundFileReader>(new (std::nothrow) WaveAiffReader());
#endif
}

}  // namespace vt::analysis
