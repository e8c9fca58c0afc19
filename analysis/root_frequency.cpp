#include "analysis/root_frequency.h"

#include <cmath>
#include <cstring>

#include "analysis/pitch_detection.h"
#include "engine/note_frequency_table.h"

namespace vt::analysis {

namespace {

// Octave-1 frequencies of the note letters c d e f g a b (32-bit values).
constexpr float kLetterFrequencies[7] = {32.703121f, 36.71f, 41.2f, 43.65f, 49.0f, 55.0f, 61.74f};

int letterIndex(char letter) {
  if (letter >= 'A' && letter <= 'Z') letter = static_cast<char>(letter - 'A' + 'a');
  static const char kLetters[] = "cdefgab";
  for (int i = 0; i < 7; ++i)
    if (kLetters[i] == letter) return i;
  return -1;
}

}  // namespace

float noteFrequencyFromFileName(const char* path) {
  if (path == nullptr) return 0.0f;
  const std::size_t length = std::strlen(path);
  if (length < 8) return 0.0f;
  const int letter = letterIndex(path[length - 8]);
  const char separator = path[length - 7];
  const char digit = path[length - 6];
  if (letter < 0 || (separator != ' ' && separator != '#' && separator != '_') || digit < '0' || digit > '9')
    return 0.0f;
  const double octaveFactor = std::pow(2.0, static_cast<double>(digit - '0') - 1.0);
  return static_cast<float>(static_cast<double>(kLetterFrequencies[letter]) * octaveFactor);
}

float rootFrequencyFor(const ImportedAudio& audio, const char* path) {
  if (audio.baseNote >= 0 && audio.baseNote < NoteFrequencyTable::kNotes)
    return NoteFrequencyTable().frequency(audio.baseNote);
  // No usable header note (a value outside the MIDI range counts as none).
  const float named = noteFrequencyFromFileName(path);
  if (named > 0.0f) return named;
  if (audio.count <= 0 || audio.samples == nullptr) return 0.0f;
  return static_cast<float>(
      detectPitch(audio.samples.get(), static_cast<std::size_t>(audio.count), static_cast<double>(audio.sampleRate)));
}

}  // namespace vt::analysis
