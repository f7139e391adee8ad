#include "capture/validate_command.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <nlohmann/json.hpp>
#include <string>

#include "capture/checksum.h"
#include "platform/console.h"
#include "platform/files.h"
#include "session/result_recorder.h"
#include "session/tracked_memory.h"
#include "session/work_area.h"

namespace capture {
namespace {

using session::outputStream;

// The two characters before a marker (normally "! ") are not compared.
bool markerAtThirdCharacter(const std::string& line, const char* marker) {
  return line.size() >= 2 + std::strlen(marker) &&
         line.compare(2, std::strlen(marker), marker) == 0;
}

// Reads the hexadecimal checksum after the end marker; a text that is no
// such number matches no checksum.
bool readRecordedChecksum(const std::string& line, uint32_t& recorded) {
  const char* digits = line.c_str() + 2 + std::strlen(kChecksumEndText);
  char* end = nullptr;
  errno = 0;
  unsigned long value = std::strtoul(digits, &end, 16);
  if (end == digits || errno == ERANGE || value > UINT32_MAX) return false;
  recorded = static_cast<uint32_t>(value);
  return true;
}

int readError() {
  std::fprintf(session::errorStream(),
               "\nError: Input stream error:\n       %s",
               platform::errorText(errno != 0 ? errno : EIO));
  return 1;
}

int reportModified() {
  std::fputs("\nError: CAPTURE script has been modified",
             session::errorStream());
  session::setResult(session::ResultKind::kModified, true);
  return 1;
}

int validate(std::FILE* file) {
  std::string line;
  bool terminated = false;
  // The start line may follow any text added before it.
  for (;;) {
    errno = 0;
    if (!platform::readWholeLine(file, line, terminated)) {
      if (std::ferror(file)) return readError();
      std::fputs("\nError: Not a CAPTURE generated script",
                 session::errorStream());
      return 1;
    }
    std::size_t found = line.find(kChecksumStartText);
    if (found == 2) break;
  }
  uint32_t checksum = kChecksumSeed;
  do {
    if (line.size() > std::strlen(kChecksumEndText) &&
        markerAtThirdCharacter(line, kChecksumEndText)) {
      uint32_t recorded = 0;
      if (readRecordedChecksum(line, recorded) && recorded == checksum) {
        std::fputs("\nUnmodified CAPTURE script between checksum start and end",
                   outputStream);
        session::setResult(session::ResultKind::kModified, false);
        return 0;
      }
      return reportModified();
    }
    checksum = foldLine(checksum, line.data(), line.size(), terminated);
    errno = 0;
  } while (platform::readWholeLine(file, line, terminated));
  if (std::ferror(file)) return readError();
  return reportModified();
}

int ValidateCaptureScript(session::CommandContext& context) {
  const char* name = context.session->work.captureFileArg;
  std::FILE* file = platform::openForReading(name);
  if (file == nullptr) {
    std::fprintf(session::errorStream(), "\nError: Open of %s failed, %s", name,
                 platform::errorText(errno));
    return 1;
  }
  int result = validate(file);
  std::fclose(file);
  return result;
}

}  // namespace

session::ParseStatus installValidateCaptureScript(
    session::CommandContext& context) {
  session::copyToken(context, context.session->work.captureFileArg);
  context.session->work.finalHandler = ValidateCaptureScript;
  return session::ParseOk;
}

}  // namespace capture
