#include "plugin/host_transport.h"

namespace vt {

HostTransport& sharedHostTransport() {
  static HostTransport transport;
  return transport;
}

}  // namespace vt
