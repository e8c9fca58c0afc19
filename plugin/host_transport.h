// The host transport as polled by processEvents, one per plug-in instance:
// every instance keeps its own poll countdown and applied values, so a
// second instance follows the host tempo as promptly as the first.
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

}  // namespace vt
