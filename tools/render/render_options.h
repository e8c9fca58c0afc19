// The render host's command line.
#pragma once

#include <string>
#include <vector>

namespace vt::render {

struct RenderOptions {
  static constexpr int kDefaultSampleRate = 44100;
  static constexpr int kDefaultBlockSize = 512;
  static constexpr double kDefaultTailSeconds = 2.0;
  static constexpr int kMinSampleRate = 8000;
  static constexpr int kMaxSampleRate = 384000;
  static constexpr int kMaxBlockSize = 16384;
  static constexpr double kMaxTailSeconds = 3600.0;
  static constexpr double kMinTempo = 1.0;
  static constexpr double kMaxTempo = 1000.0;
  static constexpr int kMaxPage = 7;

  std::string modulePath;
  bool info = false;
  std::string outPath;         // --out: render to this WAV file
  std::string midiPath;        // --midi: play this Standard MIDI File (else the demo phrase)
  std::string instrumentPath;  // --instrument: restore this instrument file as the plug-in's chunk
  std::string chunkOutPath;    // --chunk-out: save the plug-in's chunk after rendering
  int sampleRate = kDefaultSampleRate;
  int blockSize = kDefaultBlockSize;
  double tailSeconds = kDefaultTailSeconds;  // rendered after the sequence's end
  double tempo = 0.0;                        // beats per minute; 0 = the sequence's own tempo
  bool editor = false;                       // --editor: open the editor in a window until it is closed
  std::string editorSnapshotPath;            // --editor-snapshot: save the editor's picture as a PNG
  int page = -1;                             // --page: the editor page for the snapshot (0..7)
  bool help = false;
};

// Parses the arguments after the program name. False, with 'error' set, for an
// unknown option, a missing or malformed value, or a value out of range.
bool parseRenderOptions(const std::vector<std::string>& arguments, RenderOptions& options, std::string& error);

const char* renderUsage();

}  // namespace vt::render
