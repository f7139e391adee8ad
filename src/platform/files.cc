#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/written_files.h"

namespace platform {

std::FILE* openForReading(const char* name) {
  int descriptor = open(name, O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return nullptr;
  struct stat status {};
  if (fstat(descriptor, &status) == 0 && S_ISDIR(status.st_mode)) {
    close(descriptor);
    errno = EISDIR;
    return nullptr;
  }
  std::FILE* stream = fdopen(descriptor, "r");
  if (stream == nullptr) {
    int saved = errno;
    close(descriptor);
    errno = saved;
  }
  return stream;
}

const char* errorText(int error) {
  switch (error) {
    case kForeignLink:
      return "it is a symbolic link of another user";
    case kForeignFile:
      return "it is a file of another user";
    default:
      return std::strerror(error);
  }
}

}  // namespace platform

namespace platform {

std::FILE* openScratchFile() { return std::tmpfile(); }

bool emptyFile(std::FILE* stream) {
  std::fflush(stream);
  if (ftruncate(fileno(stream), 0) != 0) return false;
  std::rewind(stream);
  return true;
}

}  // namespace platform
