#include "platform/pending_file.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/written_files.h"

namespace platform {
namespace {

constexpr int kNameAttempts = 100;

// The mode open(2) gives a new file of mode 0666 under the process's mask.
mode_t newFileMode() {
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

mode_t modeFor(const WriteTarget& target, FileAccess access) {
  if (access == FileAccess::kPrivate) return 0600;
  if (target.kind == TargetKind::kRegular) return target.mode & 0777;
  return newFileMode();
}

std::string directoryOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string descriptorPath(int descriptor) {
  return "/proc/self/fd/" + std::to_string(descriptor);
}

// A file with no name in the directory of `path`, which a process killed
// while writing it leaves no trace of. -1 with errno; EOPNOTSUPP where the
// file system (or the kernel, or a missing /proc to name it through) has
// no such files.
int openUnnamedBeside(const std::string& path) {
  int descriptor =
      open(directoryOf(path).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC,
           static_cast<mode_t>(0600));
  if (descriptor < 0) {
    // Kernels without unnamed files read the request as one to open the
    // directory for writing.
    if (errno == EISDIR) errno = EOPNOTSUPP;
    return -1;
  }
  struct stat status {};
  if (stat(descriptorPath(descriptor).c_str(), &status) != 0) {
    close(descriptor);
    errno = EOPNOTSUPP;
    return -1;
  }
  return descriptor;
}

// A name beside `target` that nothing has yet, unpredictable to others.
std::string nameBeside(const std::string& target, int attempt) {
  constexpr char kLetters[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  unsigned char noise[6] = {};
  if (getrandom(noise, sizeof noise, GRND_NONBLOCK) < 0) noise[0] = 0;
  std::string name = target + ".";
  for (unsigned char byte : noise) {
    name += kLetters[(byte + attempt) % (sizeof kLetters - 1)];
  }
  return name;
}

// Gives the unnamed file its name: at once when the name is free, else
// through a fresh name beside it renamed over what the name holds. 0, or
// the error number.
int linkIntoPlace(int descriptor, const std::string& target) {
  const std::string self = descriptorPath(descriptor);
  if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target.c_str(),
             AT_SYMLINK_FOLLOW) == 0) {
    return 0;
  }
  if (errno != EEXIST) return errno;
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string beside = nameBeside(target, attempt);
    if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, beside.c_str(),
               AT_SYMLINK_FOLLOW) == 0) {
      if (std::rename(beside.c_str(), target.c_str()) == 0) return 0;
      int error = errno;
      unlink(beside.c_str());
      return error;
    }
    if (errno != EEXIST) return errno;
  }
  return EEXIST;
}

// Pushes the stream's content to its file, and onto the disk unless it is
// written in place. 0, or the error number.
int writtenOut(std::FILE* stream, bool sync) {
  errno = 0;
  if (std::fflush(stream) == 0 && std::ferror(stream) == 0 &&
      (!sync || fsync(fileno(stream)) == 0)) {
    return 0;
  }
  return errno != 0 ? errno : EIO;
}

int closed(std::FILE* stream) {
  errno = 0;
  if (std::fclose(stream) == 0) return 0;
  return errno != 0 ? errno : EIO;
}

}  // namespace

bool PendingFile::open(const char* name, FileAccess access) {
  discard();
  WriteTarget target;
  if (!findWriteTarget(name, target)) return false;
  int descriptor = -1;
  std::string temporary;
  if (target.kind == TargetKind::kSpecial) {
    descriptor = openWriteTarget(target, O_RDWR, 0);
    target.path.clear();
  } else {
    // Beside the final name, so it takes the name within one file system.
    descriptor = openUnnamedBeside(target.path);
    if (descriptor < 0 && errno == EOPNOTSUPP) {
      temporary = target.path + ".XXXXXX";
      descriptor = mkostemp(temporary.data(), O_CLOEXEC);
      if (descriptor < 0) temporary.clear();
    }
    if (descriptor >= 0 && fchmod(descriptor, modeFor(target, access)) != 0) {
      int saved = errno;
      close(descriptor);
      errno = saved;
      descriptor = -1;
    }
  }
  if (descriptor >= 0) stream_ = fdopen(descriptor, "w+");
  if (stream_ == nullptr) {
    int saved = errno;
    if (descriptor >= 0) close(descriptor);
    if (!temporary.empty()) unlink(temporary.c_str());
    errno = saved;
    return false;
  }
  target_ = std::move(target.path);
  temporary_ = std::move(temporary);
  return true;
}

bool PendingFile::commit() {
  if (stream_ == nullptr) {
    errno = EBADF;
    return false;
  }
  std::FILE* stream = std::exchange(stream_, nullptr);
  bool inPlace = target_.empty();
  int error = writtenOut(stream, !inPlace);
  if (inPlace || !temporary_.empty()) {
    int closing = closed(stream);
    if (error == 0) error = closing;
    if (!inPlace && error == 0) {
      if (std::rename(temporary_.c_str(), target_.c_str()) == 0) {
        temporary_.clear();
      } else {
        error = errno;
      }
    }
  } else {
    if (error == 0) error = linkIntoPlace(fileno(stream), target_);
    // Synced before it took the name: closing cannot lose any of it.
    closed(stream);
  }
  discard();
  errno = error;
  return error == 0;
}

void PendingFile::discard() {
  int saved = errno;
  if (stream_ != nullptr) std::fclose(std::exchange(stream_, nullptr));
  if (!temporary_.empty()) unlink(temporary_.c_str());
  temporary_.clear();
  target_.clear();
  errno = saved;
}

}  // namespace platform
