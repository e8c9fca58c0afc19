#include "factory/record_file.h"

#include <system_error>

#include "files/byte_stream.h"

namespace vt {

bool writeRecordFile(const std::filesystem::path& path, const std::function<bool(ByteStream&)>& write) {
  std::error_code ignored;
  std::filesystem::create_directories(path.parent_path(), ignored);
  ByteStream stream;
  if (!stream.openFileForWriting(path.string().c_str())) return false;
  const bool ok = write(stream);
  const bool closed = stream.close();
  return ok && closed;
}

}  // namespace vt
