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
    case kLinkedFile:
      return "it is a file with other hard links";
    case kUnwritableKind:
      return "it is a socket or a block device";
    case kChangedFile:
      return "it was replaced while being opened";
    default:
      return std::strerror(error);
  }
}

std::optional<FileIdentity> fileIdentity(const char* name) {
  struct stat status {};
  if (stat(name, &status) != 0) return std::nullopt;
  return FileIdentity{status.st_mtim.tv_sec, status.st_mtim.tv_nsec,
                      status.st_size,
                      static_cast<unsigned long long>(status.st_ino)};
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

std::FILE* openMemoryStream(char** buffer, std::size_t* size) {
  return open_memstream(buffer, size);
}

std::FILE* takeOverStandardOutput() {
  std::fflush(stdout);
  int own = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
  if (own < 0) return nullptr;
  int nowhere = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (nowhere < 0 || dup2(nowhere, STDOUT_FILENO) < 0) {
    int saved = errno;
    if (nowhere >= 0) close(nowhere);
    close(own);
    errno = saved;
    return nullptr;
  }
  close(nowhere);
  std::FILE* stream = fdopen(own, "w");
  if (stream == nullptr) {
    // Put the standard output back, so nothing is lost.
    int saved = errno;
    dup2(own, STDOUT_FILENO);
    close(own);
    errno = saved;
  }
  return stream;
}

}  // namespace platform
