#include "tools/validate/scenario.h"

namespace vt::validate {

const Scenario* scenarios(int& count) {
  static const Scenario kScenarios[] = {
      {"churn", nullptr, churnRound},
      {"rates-and-blocks", nullptr, rateAndBlockRound},
      {"hostile-parameters", nullptr, hostileParameterRound},
      {"concurrent-writes", nullptr, concurrentWriteRound},
      {"host-tempo", nullptr, hostTempoRound},
      {"chunk-restore", nullptr, chunkRestoreRound},
      {"audio-allocations", audioAllocationAvailable, audioAllocationRound},
      {"midi-bursts", nullptr, midiBurstRound},
  };
  count = static_cast<int>(sizeof(kScenarios) / sizeof(kScenarios[0]));
  return kScenarios;
}

}  // namespace vt::validate
