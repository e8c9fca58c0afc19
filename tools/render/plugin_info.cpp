#include "tools/render/plugin_info.h"

#include <algorithm>
#include <string>

namespace vt::render {

namespace {

// Parameter counts beyond this are reported but not listed one by one.
constexpr int kMaxListedParameters = 4096;
constexpr int kReportedOutputPins = 2;

std::string fourCharacters(vst2::Int32 code) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = static_cast<char>((static_cast<std::uint32_t>(code) >> shift) & 0xFF);
    text += (c >= 32 && c < 127) ? c : '?';
  }
  return text;
}

std::string flagNames(vst2::Int32 flags) {
  static const struct {
    vst2::Int32 bit;
    const char* name;
  } kNames[] = {
      {vst2::effFlagsHasEditor, "HasEditor"},
      {vst2::effFlagsHasClip, "HasClip"},
      {vst2::effFlagsHasVu, "HasVu"},
      {vst2::effFlagsCanMono, "CanMono"},
      {vst2::effFlagsCanReplacing, "CanReplacing"},
      {vst2::effFlagsProgramChunks, "ProgramChunks"},
      {vst2::effFlagsIsSynth, "IsSynth"},
      {vst2::effFlagsNoSoundInStop, "NoSoundInStop"},
      {vst2::effFlagsCanDoubleReplacing, "CanDoubleReplacing"},
  };
  std::string text;
  for (const auto& entry : kNames) {
    if (flags & entry.bit) text += std::string(text.empty() ? "" : " ") + entry.name;
  }
  return text;
}

}  // namespace

const char* const kReportedCanDos[] = {"receiveVstEvents", "receiveVstMidiEvent", "receiveVstTimeInfo",
                                       "sendVstEvents",    "sendVstMidiEvent",    "offline",
                                       "bypass",           "receiveVstEvent",     ""};
const int kReportedCanDoCount = static_cast<int>(sizeof(kReportedCanDos) / sizeof(kReportedCanDos[0]));

void printPluginInfo(PluginHost& host, std::FILE* out) {
  vst2::AEffect* effect = host.effect();
  if (!effect) return;
  std::fprintf(out, "magic: %s\n", fourCharacters(effect->magic).c_str());
  std::fprintf(out, "unique id: %s (0x%08X)\n", fourCharacters(effect->uniqueID).c_str(),
               static_cast<unsigned>(effect->uniqueID));
  std::fprintf(out, "version: %d\n", static_cast<int>(effect->version));
  std::fprintf(out, "VST version: %d\n", static_cast<int>(host.dispatch(vst2::effGetVstVersion)));
  std::fprintf(out, "category: %d\n", static_cast<int>(host.dispatch(vst2::effGetPlugCategory)));
  std::fprintf(out, "flags: 0x%X (%s)\n", static_cast<unsigned>(effect->flags), flagNames(effect->flags).c_str());
  std::fprintf(out, "programs: %d\n", static_cast<int>(effect->numPrograms));
  std::fprintf(out, "parameters: %d\n", static_cast<int>(effect->numParams));
  std::fprintf(out, "inputs: %d\n", static_cast<int>(effect->numInputs));
  std::fprintf(out, "outputs: %d\n", static_cast<int>(effect->numOutputs));
  std::fprintf(out, "initial delay: %d\n", static_cast<int>(effect->initialDelay));
  std::fprintf(out, "io ratio: %g\n", static_cast<double>(effect->ioRatio));
  std::fprintf(out, "effect name: \"%s\"\n", host.requestText(vst2::effGetEffectName).c_str());
  std::fprintf(out, "vendor: \"%s\"\n", host.requestText(vst2::effGetVendorString).c_str());
  std::fprintf(out, "product: \"%s\"\n", host.requestText(vst2::effGetProductString).c_str());
  std::fprintf(out, "vendor version: %d\n", static_cast<int>(host.dispatch(vst2::effGetVendorVersion)));
  std::fprintf(out, "program: %d \"%s\"\n", static_cast<int>(host.dispatch(vst2::effGetProgram)),
               host.requestText(vst2::effGetProgramName).c_str());

  for (int i = 0; i < kReportedCanDoCount; ++i)
    std::fprintf(out, "canDo \"%s\": %d\n", kReportedCanDos[i], static_cast<int>(host.canDo(kReportedCanDos[i])));

  for (int pin = 0; pin <= kReportedOutputPins; ++pin) {
    vst2::VstPinProperties properties{};
    const vst2::IntPtr answered = host.dispatch(vst2::effGetOutputProperties, pin, 0, &properties);
    properties.label[vst2::kVstMaxLabelLen - 1] = '\0';
    if (answered)
      std::fprintf(out, "output %d: \"%s\" flags 0x%X\n", pin, properties.label,
                   static_cast<unsigned>(properties.flags));
    else
      std::fprintf(out, "output %d: none\n", pin);
  }

  const int listed = std::clamp<int>(effect->numParams, 0, kMaxListedParameters);
  std::fprintf(out, "parameter list (index: name = display label):\n");
  for (int index = 0; index < listed; ++index) {
    const std::string name = host.requestText(vst2::effGetParamName, index);
    const std::string display = host.requestText(vst2::effGetParamDisplay, index);
    const std::string label = host.requestText(vst2::effGetParamLabel, index);
    std::fprintf(out, "%4d: %s = %s %s\n", index, name.c_str(), display.c_str(), label.c_str());
  }
}

}  // namespace vt::render
