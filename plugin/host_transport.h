// The host transport as polled by processEvents. These values are shared by
// every instance in the process: hosts run one transport, so one poll serves all.
#pragma once

namespace vt {

struct HostTransport {
  static constexpr int kPollInterval = 20;             // calls between polls of a stopped transport
  static constexpr double kPositionTolerance = 0.001;  // quarter notes; more means the transport runs

  int pollCountdown = 0;
  float polledTempo = 120.0f;
  float polledPosition = 10.0f;
  float appliedTempo = 0.0f;
  float appliedPosition = 0.0f;
};

// The module-wide instance.
HostTransport& sharedHostTransport();

}  // namespace vt
