#include "engine/parameter_limits.h"

#include <cmath>

#include "engine/parameter_defaults.h"
#include "engine/parameter_ids.h"

namespace vt {

namespace {

float clampTo(float value, float low, float high) { return value < low ? low : (value > high ? high : value); }

float defaultValue(int index) {
  float defaults[kNumParameters];
  fillParameterDefaults(defaults);
  return defaults[index];
}

}  // namespace

bool limitParameterValue(int index, float value, float* limited) {
  if (index < 0 || index >= kNumParameters || !std::isfinite(value)) return false;
  if (index >= kNumHostParameters)
    *limited = value;  // the editor's command and menu values: any finite number
  else if (index >= ModSource1 && index <= ModSource10)
    *limited = clampTo(value, 0.0f, kHighestModulationSource);
  else if (index >= ModTarget1 && index <= ModTarget10)
    *limited = clampTo(value, 0.0f, kHighestModulationTarget);
  else
    *limited = clampTo(value, 0.0f, 1.0f);
  return true;
}

float loadedParameterValue(int index, float value) {
  if (index < 0 || index >= kNumParameters) return 0.0f;
  float limited = 0.0f;
  return limitParameterValue(index, value, &limited) ? limited : defaultValue(index);
}

}  // namespace vt
