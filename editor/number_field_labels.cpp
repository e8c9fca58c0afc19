#include "editor/number_field_labels.h"

#include <cstdio>

#include "engine/note_name_table.h"

namespace vt {

namespace {

const char* const kEditModes[8] = {"One", "Odd", "Even", "Fifths", "Octaves", "Bright", "Dark", "All"};
constexpr int kDetuneSteps = 400;
constexpr int kDetuneLowest = -200;

}  // namespace

void numberFieldLabel(FieldLabels labels, int index, char* text, std::size_t size) {
  if (!text || size == 0) return;
  text[0] = 0;
  if (index < 0) return;
  switch (labels) {
    case FieldLabels::None:
      return;
    case FieldLabels::OneToEight:
      if (index < 8) std::snprintf(text, size, "%d", index + 1);
      return;
    case FieldLabels::NoteNames:
      if (index < NoteNameTable::kNotes) {
        static const NoteNameTable names;
        std::snprintf(text, size, "%s", names.name(index));
      }
      return;
    case FieldLabels::ZeroToHundred:
      if (index <= 100) std::snprintf(text, size, "%d", index);
      return;
    case FieldLabels::Detune:
      if (index < kDetuneSteps) std::snprintf(text, size, "%d", index + kDetuneLowest);
      return;
    case FieldLabels::EditModes:
      if (index < 8) std::snprintf(text, size, "%s", kEditModes[index]);
      return;
  }
}

}  // namespace vt
