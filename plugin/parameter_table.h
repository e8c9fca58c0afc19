// Host-facing description of the parameters: names, labels, the host's
// display text, and the read-out formatters the editor shows beside its knobs.
// Every text function writes a zero-terminated string of at most 'size' bytes.
#pragma once

#include <cstddef>

namespace vt {

// Room the host gives for a parameter name or display; longer texts are cut.
constexpr std::size_t kParameterTextSize = 32;

void parameterName(int index, char* text, std::size_t size);
void parameterLabel(int index, char* text, std::size_t size);
// "%d" of the value times 100, rounded (0.996 shows 100).
void parameterHostDisplay(float value, char* text, std::size_t size);

// Stretch factor of the Stretch parameter: 0.2 at 0, 1 at 0.5, 5 at 1.
float stretchFactor(float value);

// Editor read-outs; x is the normalised parameter value.
void formatPercent(float x, char* text, std::size_t size);
void formatAttackSeconds(float x, char* text, std::size_t size);
void formatReleaseSeconds(float x, char* text, std::size_t size);
void formatPortamento(float x, char* text, std::size_t size);
void formatChorusRate(float x, char* text, std::size_t size);
void formatChorusDelay(float x, char* text, std::size_t size);
void formatChorusDepth(float x, char* text, std::size_t size);
void formatBendRange(float x, char* text, std::size_t size);
void formatStretchPercent(float x, char* text, std::size_t size);
void formatCutoffHz(float x, char* text, std::size_t size);
void formatNoteFraction(float x, char* text, std::size_t size);

// Index 0-19 into the note-fraction list for a normalised value (0 = "1/16").
int noteFractionIndex(float x);
const char* noteFractionText(int index);

}  // namespace vt
