#include "capture/checksum.h"

#include <cerrno>
#include <string>

#include "platform/console.h"
#include "platform/files.h"
#include "session/output.h"

namespace capture {
namespace {

int writeFailed() {
  std::fprintf(session::errorStream(),
               "\nError: Cannot write ouput file.  Error detected:\n       %s",
               platform::errorText(errno != 0 ? errno : EIO));
  return 1;
}

}  // namespace

uint32_t CaptureChecksum(uint32_t checksum, const char* bytes,
                         std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    checksum ^= static_cast<unsigned char>(bytes[i]);
    checksum = (checksum << 1) | (checksum >> 31);
  }
  return checksum;
}

uint32_t foldLine(uint32_t checksum, const char* line, std::size_t length,
                  bool terminated) {
  if (terminated && length > 0 && line[length - 1] == '\r') --length;
  checksum = CaptureChecksum(checksum, line, length);
  return terminated ? CaptureChecksum(checksum, "\n", 1) : checksum;
}

int writeChecksumEndLine(std::FILE* file) {
  std::fseek(file, 0, SEEK_END);
  std::fputs("! \n", file);
  // A write that failed (a full disk) must never be sealed with a valid
  // end line.
  if (std::fflush(file) != 0 || std::ferror(file)) return writeFailed();
  std::rewind(file);
  std::string line;
  bool terminated = false;
  errno = 0;
  if (!platform::readWholeLine(file, line, terminated) ||
      !platform::readWholeLine(file, line, terminated)) {
    std::fprintf(session::errorStream(), "\nError: Input stream error:\n   %s",
                 platform::errorText(errno));
    return 1;
  }
  uint32_t checksum = kChecksumSeed;
  do {
    checksum = foldLine(checksum, line.data(), line.size(), terminated);
  } while (platform::readWholeLine(file, line, terminated));
  if (std::ferror(file)) {
    std::fprintf(session::errorStream(),
                 "\nError: Input stream error:\n       %s",
                 platform::errorText(errno));
    return 1;
  }
  std::fseek(file, 0, SEEK_END);
  std::fprintf(file, "! %s%0x\n", kChecksumEndText, checksum);
  if (std::fflush(file) != 0 || std::ferror(file)) return writeFailed();
  return 0;
}

}  // namespace capture
