// The editor's audio import: the analysis command with the desktop's progress
// window and message box, behind the editor's import seam.
#pragma once

#include "editor/audio_import_command.h"
#include "editor/audio_importer.h"

namespace vt {

class CommandAudioImporter final : public AudioImporter {
public:
  explicit CommandAudioImporter(SynthEngine& engine);

  bool start(const char* path, int voice, int multisample, int layer) override {
    return command.start(path, voice, multisample, layer);
  }
  bool isRunning() const override { return command.isRunning(); }
  bool takeFinished() override { return command.takeFinished(); }
  AudioImportCommand& importCommand() { return command; }

private:
  AudioImportCommand command;
};

}  // namespace vt
