// The texts a number field shows for each of its steps.
#pragma once

#include <cstddef>

#include "editor/layout_entry.h"

namespace vt {

// Writes the label of step 'index' of a label set; an empty text outside the set.
void numberFieldLabel(FieldLabels labels, int index, char* text, std::size_t size);

}  // namespace vt
