// The seam between the editor and the audio import (analysis of an AIFF or
// WAV file into one multisample layer of a voice, run off the UI thread).
// The editor starts an import, and at idle learns once that it ended, then
// shows the engine again.
#pragma once

namespace vt {

class AudioImporter {
public:
  virtual ~AudioImporter() = default;
  // False while an import runs or when the target is invalid.
  virtual bool start(const char* path, int voice, int multisample, int layer) = 0;
  virtual bool isRunning() const = 0;
  // True once after an import ended.
  virtual bool takeFinished() = 0;
};

}  // namespace vt
