// The instrument's single program: only a name, since the sound itself lives
// in the engine and travels to the host as the chunk.
#pragma once

namespace vt {

struct ProgramRecord {
  static constexpr int kNameSize = 24;  // 23 characters and the terminating zero
  char name[kNameSize] = "Init";
};

}  // namespace vt
