#include "platform/console.h"

#include <unistd.h>

#include <cerrno>

namespace platform {

LineStatus readLine(std::FILE* stream, LineBuffer& line) {
  if (stream == stdin) std::fflush(nullptr);
  line.length = 0;
  line.atEnd = false;
  line.error = 0;
  std::size_t counted = 0;  // characters of the raw line, line feed included
  bool lastWasCarriageReturn = false;
  for (;;) {
    errno = 0;
    int c = std::getc(stream);
    if (c == EOF) {
      if (std::ferror(stream)) {
        line.error = errno != 0 ? errno : EIO;
        line.text[line.length] = '\0';
        return LineStatus::kError;
      }
      line.atEnd = true;
      if (counted == 0) {
        line.text[0] = '\0';
        return LineStatus::kEnd;
      }
      break;
    }
    if (c == '\n') {
      if (lastWasCarriageReturn) {
        --counted;
        if (line.length > 0 && counted < kLineLimit) --line.length;
      }
      ++counted;
      break;
    }
    lastWasCarriageReturn = c == '\r';
    if (line.length < kLineLimit) line.text[line.length++] = static_cast<char>(c);
    ++counted;
  }
  line.text[line.length] = '\0';
  return counted >= kLineLimit ? LineStatus::kTooLong : LineStatus::kOk;
}

// The C library finds the line end in its buffer; the line is copied once.
bool readWholeLine(std::FILE* stream, std::string& line, bool& terminated) {
  static char* buffer = nullptr;
  static std::size_t capacity = 0;
  line.clear();
  terminated = false;
  ssize_t length = getline(&buffer, &capacity, stream);
  if (length <= 0) return false;
  terminated = buffer[length - 1] == '\n';
  line.assign(buffer,
              static_cast<std::size_t>(terminated ? length - 1 : length));
  return true;
}

int readKey() {
  std::fflush(nullptr);
  return std::getchar();
}

bool isTerminal(int descriptor) { return isatty(descriptor) == 1; }

}  // namespace platform
