#include "plugin/parameter_readout.h"

#include "engine/parameter_ids.h"
#include "plugin/parameter_table.h"

namespace vt {

void parameterReadout(int index, float value, char* text, std::size_t size) {
  switch (index) {
    case PitchbendRange:
      formatBendRange(value, text, size);
      return;
    case LfoRate:
    case DelaySyncL:
    case DelaySyncR:
    case Lfo1Rate:
    case Lfo2Rate:
      formatNoteFraction(value, text, size);
      return;
    case PortamentoRate:
      formatPortamento(value, text, size);
      return;
    case Attack:
      formatAttackSeconds(value, text, size);
      return;
    case Stretch:
      formatStretchPercent(value, text, size);
      return;
    case Release:
      formatReleaseSeconds(value, text, size);
      return;
    case FilterCutoff:
      formatCutoffHz(value, text, size);
      return;
    case ChorusDelay:
      formatChorusDelay(value, text, size);
      return;
    case ChorusDepth:
      formatChorusDepth(value, text, size);
      return;
    case ChorusRate:
      formatChorusRate(value, text, size);
      return;
    default:
      formatPercent(value, text, size);
      return;
  }
}

}  // namespace vt
