#include "tools/render/render_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace vt::render {

namespace {

bool parseInteger(const std::string& text, int low, int high, int& value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long parsed = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || parsed < low || parsed > high) return false;
  value = static_cast<int>(parsed);
  return true;
}

bool parseNumber(const std::string& text, double low, double high, double& value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const double parsed = std::strtod(text.c_str(), &end);
  if (errno != 0 || *end != '\0' || !std::isfinite(parsed) || parsed < low || parsed > high) return false;
  value = parsed;
  return true;
}

}  // namespace

const char* renderUsage() {
  return "usage: vt7000-render MODULE [options]\n"
         "Loads a VST 2 instrument module and renders MIDI through it.\n"
         "  --info               print the descriptor, names, canDo answers and all parameters\n"
         "  --out FILE.wav       render to a stereo 32-bit float WAV file\n"
         "  --midi FILE.mid      play a Standard MIDI File (format 0 or 1); default: the demo phrase\n"
         "  --rate HZ            sample rate (default 44100)\n"
         "  --block N            block size in frames (default 512)\n"
         "  --seconds S          tail rendered after the music ends (default 2)\n"
         "  --tempo BPM          play at this constant tempo (default: the file's tempo map, else 120)\n"
         "  --instrument FILE    restore this instrument file as the plug-in's chunk before rendering\n"
         "  --chunk-out FILE     save the plug-in's chunk after rendering\n"
         "  --editor             open the plug-in's editor in a window; continue when it is closed\n"
         "  --editor-snapshot FILE.png  open the editor, save its picture as a PNG and close it\n"
         "  --page N             the editor page (0-7) shown for the snapshot\n"
         "--instrument applies before the editor opens; --out and --chunk-out run after it closes.\n";
}

bool parseRenderOptions(const std::vector<std::string>& arguments, RenderOptions& options, std::string& error) {
  options = RenderOptions();
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      options.help = true;
      continue;
    }
    if (argument == "--info") {
      options.info = true;
      continue;
    }
    if (argument == "--editor") {
      options.editor = true;
      continue;
    }
    if (argument.size() > 1 && argument[0] == '-') {
      if (i + 1 >= arguments.size()) {
        error = argument + " needs a value";
        return false;
      }
      const std::string& value = arguments[++i];
      bool valid = true;
      if (argument == "--out") {
        options.outPath = value;
      } else if (argument == "--midi") {
        options.midiPath = value;
      } else if (argument == "--instrument") {
        options.instrumentPath = value;
      } else if (argument == "--chunk-out") {
        options.chunkOutPath = value;
      } else if (argument == "--editor-snapshot") {
        options.editorSnapshotPath = value;
      } else if (argument == "--page") {
        valid = parseInteger(value, 0, RenderOptions::kMaxPage, options.page);
      } else if (argument == "--rate") {
        valid = parseInteger(value, RenderOptions::kMinSampleRate, RenderOptions::kMaxSampleRate, options.sampleRate);
      } else if (argument == "--block") {
        valid = parseInteger(value, 1, RenderOptions::kMaxBlockSize, options.blockSize);
      } else if (argument == "--seconds") {
        valid = parseNumber(value, 0.0, RenderOptions::kMaxTailSeconds, options.tailSeconds);
      } else if (argument == "--tempo") {
        valid = parseNumber(value, RenderOptions::kMinTempo, RenderOptions::kMaxTempo, options.tempo);
      } else {
        error = "unknown option " + argument;
        return false;
      }
      if (!valid || value.empty()) {
        error = "invalid value '" + value + "' for " + argument;
        return false;
      }
      continue;
    }
    if (!options.modulePath.empty()) {
      error = "unexpected argument " + argument;
      return false;
    }
    options.modulePath = argument;
  }
  if (options.help) return true;
  if (options.modulePath.empty()) {
    error = "no plug-in module given";
    return false;
  }
  if (options.page >= 0 && options.editorSnapshotPath.empty()) {
    error = "--page needs --editor-snapshot";
    return false;
  }
  if (!options.info && options.outPath.empty() && options.chunkOutPath.empty() && !options.editor &&
      options.editorSnapshotPath.empty()) {
    error = "nothing to do: give --info, --out, --chunk-out, --editor or --editor-snapshot";
    return false;
  }
  return true;
}

}  // namespace vt::render
