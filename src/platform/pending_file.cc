#include "platform/pending_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/written_files.h"

namespace platform {
namespace {

// The mode open(2) gives a new file of mode 0666 under the process's mask.
mode_t newFileMode() {
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

mode_t modeFor(const WriteTarget& target, FileAccess access) {
  if (access == FileAccess::kPrivate) return 0600;
  struct stat status {};
  if (target.kind == TargetKind::kRegular &&
      stat(target.path.c_str(), &status) == 0) {
    return status.st_mode & 0777;
  }
  return newFileMode();
}

}  // namespace

bool PendingFile::open(const char* name, FileAccess access) {
  discard();
  WriteTarget target;
  if (!findWriteTarget(name, target)) return false;
  if (target.kind == TargetKind::kSpecial) {
    int descriptor = openWriteTarget(target, O_RDWR, 0);
    if (descriptor < 0) return false;
    stream_ = fdopen(descriptor, "w+");
    if (stream_ == nullptr) {
      int saved = errno;
      close(descriptor);
      errno = saved;
      return false;
    }
    return true;
  }
  // Beside the final name, so the rename stays within one file system.
  std::string temporary = target.path + ".XXXXXX";
  int descriptor = mkostemp(temporary.data(), O_CLOEXEC);
  if (descriptor < 0) return false;
  if (fchmod(descriptor, modeFor(target, access)) == 0) {
    stream_ = fdopen(descriptor, "w+");
  }
  if (stream_ == nullptr) {
    int saved = errno;
    close(descriptor);
    unlink(temporary.c_str());
    errno = saved;
    return false;
  }
  temporary_ = std::move(temporary);
  target_ = std::move(target.path);
  return true;
}

bool PendingFile::commit() {
  if (stream_ == nullptr) {
    errno = EBADF;
    return false;
  }
  std::FILE* stream = std::exchange(stream_, nullptr);
  bool inPlace = temporary_.empty();
  errno = 0;
  bool written = std::fflush(stream) == 0 && std::ferror(stream) == 0 &&
                 (inPlace || fsync(fileno(stream)) == 0);
  int error = written ? 0 : (errno != 0 ? errno : EIO);
  errno = 0;
  if (std::fclose(stream) != 0 && error == 0) error = errno != 0 ? errno : EIO;
  if (!inPlace) {
    if (error == 0 && std::rename(temporary_.c_str(), target_.c_str()) != 0) {
      error = errno;
    }
    if (error != 0) unlink(temporary_.c_str());
    temporary_.clear();
  }
  errno = error;
  return error == 0;
}

void PendingFile::discard() {
  int saved = errno;
  if (stream_ != nullptr) std::fclose(std::exchange(stream_, nullptr));
  if (!temporary_.empty()) {
    unlink(temporary_.c_str());
    temporary_.clear();
  }
  errno = saved;
}

}  // namespace platform
