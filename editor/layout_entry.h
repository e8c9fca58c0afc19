// One control of a layout table: what the page builder creates, where, from
// which images.
#pragma once

#include "editor/control_kind.h"

namespace vt {

// What a number field lists, one label per step.
enum class FieldLabels : unsigned char {
  None,
  OneToEight,     // "1" .. "8"
  NoteNames,      // the 128 note names
  ZeroToHundred,  // "0" .. "100"
  Detune,         // "-200" .. "199"
  EditModes,      // "One", "Odd", "Even", "Fifths", "Octaves", "Bright", "Dark", "All"
};

// Which list an option menu shows.
enum class MenuItems : unsigned char {
  None,
  InstrumentCategories,
  Instruments,
  ModulationSources,
  ModulationTargets,
};

struct LayoutEntry {
  int tag;        // parameter index; per-voice entries add the voice number 0-3
  bool perVoice;  // true for the entries of the voice pages that follow the voice
  ControlKind kind;
  int left, top, right, bottom;  // in frame or page coordinates
  int image;                     // resource id of the control's image, 0 for none
  int entries;                   // radio-group entries, number-field steps or switch states
  int stepX, stepY;              // spacing of radio-group entries
  int readout;                   // a knob's read-out sits this far below the knob's top; 0 for none
  bool shown;                    // false for the buttons that carry no command: placed, not drawn
  FieldLabels labels;
  MenuItems items;
  const int* entryImages;  // radio groups whose entries differ: one resource id per entry
};

// Width and height of a knob, and the size of its read-out.
constexpr int kKnobSize = 35;
constexpr int kReadoutWidth = 37;
constexpr int kReadoutHeight = 11;
// Read-outs sit this far left of their knob.
constexpr int kReadoutInset = 2;
// The usual distance from a knob's top to its read-out.
constexpr int kReadoutBelow = 62;

}  // namespace vt
