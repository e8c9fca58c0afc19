#include "editor/command_audio_importer.h"

#include "platform/analysis_feedback.h"

namespace vt {

CommandAudioImporter::CommandAudioImporter(SynthEngine& engine) : command(engine, desktopFeedback()) {}

}  // namespace vt
