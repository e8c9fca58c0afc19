#include "editor/modulation_source_names.h"

#include <cstdio>

#include "engine/modulation_targets.h"

namespace vt {

namespace {

constexpr int kControllers = 120;

const char* const kFirstSources[kFirstControllerSource] = {"   None",
                                                           "   Velocity     (Global)",
                                                           "   Aftertouch   (Global)",
                                                           "   Key Position (Global)",
                                                           "   LFO 1",
                                                           "   LFO 2",
                                                           " ",
                                                           " "};

// The standard name of MIDI controller c (0-119), without its number.
const char* controllerName(int c, int* ordinal) {
  *ordinal = 0;
  switch (c) {
    case 0:
    case 32:
      return "Bank Select";
    case 1:
    case 33:
      return "Modulation wheel";
    case 2:
    case 34:
      return "Breath control";
    case 4:
    case 36:
      return "Foot controller";
    case 5:
    case 37:
      return "Portamento time";
    case 6:
      return "Data Entry";
    case 38:
      return "Data entry";
    case 7:
    case 39:
      return "Channel Volume";
    case 8:
    case 40:
      return "Balance";
    case 10:
    case 42:
      return "Pan";
    case 11:
    case 43:
      return "Expression Controller";
    case 12:
      return "Effect 1";
    case 13:
      return "Effect 2";
    case 44:
      return "Effect control 1";
    case 45:
      return "Effect control 2";
    case 64:
      return "Damper pedal on/off (Sustain)";
    case 65:
      return "Portamento on/off";
    case 66:
      return "Sustenuto on/off";
    case 67:
      return "Soft pedal on/off";
    case 68:
      return "Legato Footswitch";
    case 69:
      return "Hold 2";
    case 70:
      return "Sound Controller 1 (Sound Variation)";
    case 71:
      return "Sound Controller 2 (Timbre)";
    case 72:
      return "Sound Controller 3 (Release Time)";
    case 73:
      return "Sound Controller 4 (Attack Time)";
    case 74:
      return "Sound Controller 5 (Brightness)";
    case 84:
      return "Portamento Control";
    case 96:
      return "Data entry +1";
    case 97:
      return "Data entry -1";
    case 98:
      return "Non-Registered Parameter Number LSB";
    case 99:
      return "Non-Registered Parameter Number MSB";
    case 100:
      return "Registered Parameter Number LSB";
    case 101:
      return "Registered Parameter Number MSB";
    default:
      break;
  }
  if (c >= 16 && c <= 19) {
    *ordinal = c - 15;
    return "GP Controller #";
  }
  if (c >= 48 && c <= 51) {
    *ordinal = c - 47;
    return "General Purpose Controller #";
  }
  if (c >= 80 && c <= 83) {
    *ordinal = c - 75;
    return "General Purpose Controller #";
  }
  if (c >= 75 && c <= 79) {
    *ordinal = c - 69;
    return "Sound Controller ";
  }
  if (c >= 91 && c <= 95) {
    *ordinal = -(c - 90);  // "Effects n Depth"
    return "Effects ";
  }
  return "Undefined";
}

}  // namespace

void modulationSourceName(int number, char* text, std::size_t size) {
  if (!text || size == 0) return;
  text[0] = 0;
  if (number < 0 || number >= kModulationSources) return;
  if (number < kFirstControllerSource) {
    std::snprintf(text, size, "%s", kFirstSources[number]);
    return;
  }
  const int c = number - kFirstControllerSource;
  if (c >= kControllers) return;
  int ordinal = 0;
  const char* name = controllerName(c, &ordinal);
  // Numbers below 10 are followed by two blanks, the others by one.
  const char* gap = c < 10 ? "  " : " ";
  if (ordinal > 0)
    std::snprintf(text, size, "%d%s%s%d", c, gap, name, ordinal);
  else if (ordinal < 0)
    std::snprintf(text, size, "%d%s%s%d Depth", c, gap, name, -ordinal);
  else
    std::snprintf(text, size, "%d%s%s", c, gap, name);
}

}  // namespace vt
