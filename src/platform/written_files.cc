#include "platform/written_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace platform {
namespace {

constexpr int kMostLinks = 40;  // as many as the kernel follows
constexpr mode_t kOwnerOnly = 0600;

bool trustedLinkOwner(uid_t owner) { return owner == geteuid() || owner == 0; }

int refusal(const struct stat& status) {
  return S_ISLNK(status.st_mode) ? kForeignLink : kForeignFile;
}

// Where the link at `path` points, taken from the link's own directory
// when it is relative.
bool readLink(const std::string& path, std::string& next) {
  char buffer[PATH_MAX];
  ssize_t length = readlink(path.c_str(), buffer, sizeof buffer);
  if (length < 0) return false;
  if (static_cast<std::size_t>(length) == sizeof buffer) {
    errno = ENAMETOOLONG;
    return false;
  }
  std::string target(buffer, static_cast<std::size_t>(length));
  std::size_t slash = path.rfind('/');
  if (target.starts_with('/') || slash == std::string::npos) {
    next = target;
  } else {
    next = path.substr(0, slash + 1) + target;
  }
  return true;
}

// A link the kernel resolves although nothing has the name it reads as
// (a descriptor under /proc, such as /dev/stdout leads to).
bool resolvedByKernelOnly(const std::string& link, const std::string& next) {
  struct stat status {};
  if (lstat(next.c_str(), &status) == 0 || errno != ENOENT) return false;
  return stat(link.c_str(), &status) == 0;
}

std::FILE* streamFor(int descriptor, const char* mode) {
  if (descriptor < 0) return nullptr;
  std::FILE* stream = fdopen(descriptor, mode);
  if (stream == nullptr) {
    int saved = errno;
    close(descriptor);
    errno = saved;
  }
  return stream;
}

// The descriptor's file must be a regular file of the user's. One to be
// read must be closed to group and others already; one to be written is
// made its owner's only. -1 with errno otherwise (the descriptor closed).
int keepOwnPrivateFile(int descriptor, bool forReading) {
  struct stat status {};
  int error = 0;
  if (fstat(descriptor, &status) != 0) {
    error = errno;
  } else if (!S_ISREG(status.st_mode) || status.st_uid != geteuid() ||
             (forReading && (status.st_mode & 077) != 0)) {
    error = kForeignFile;
  } else if (!forReading && (status.st_mode & 07777) != kOwnerOnly &&
             fchmod(descriptor, kOwnerOnly) != 0) {
    error = errno;
  }
  if (error == 0) return descriptor;
  close(descriptor);
  errno = error;
  return -1;
}

}  // namespace

bool findWriteTarget(const char* name, WriteTarget& target) {
  std::string path = name;
  for (int links = 0; links <= kMostLinks; ++links) {
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0) {
      if (errno != ENOENT) return false;
      target = WriteTarget{path, TargetKind::kMissing};
      return true;
    }
    if (S_ISDIR(status.st_mode)) {
      errno = EISDIR;
      return false;
    }
    if (S_ISREG(status.st_mode)) {
      if (status.st_uid != geteuid()) {
        errno = kForeignFile;
        return false;
      }
      target = WriteTarget{path, TargetKind::kRegular};
      return true;
    }
    if (!S_ISLNK(status.st_mode)) {
      target = WriteTarget{path, TargetKind::kSpecial};
      return true;
    }
    if (!trustedLinkOwner(status.st_uid)) {
      errno = kForeignLink;
      return false;
    }
    std::string next;
    if (!readLink(path, next)) return false;
    if (resolvedByKernelOnly(path, next)) {
      target = WriteTarget{path, TargetKind::kSpecial};
      return true;
    }
    path = next;
  }
  errno = ELOOP;
  return false;
}

int openWriteTarget(const WriteTarget& target, int flags, unsigned mode) {
  // Only a name the kernel alone resolves is opened through a link; any
  // other link put at a checked name since is not followed.
  int noLink = target.kind == TargetKind::kSpecial ? 0 : O_NOFOLLOW;
  int descriptor = open(target.path.c_str(), flags | noLink | O_CLOEXEC,
                        static_cast<mode_t>(mode));
  if (descriptor < 0) return -1;
  struct stat status {};
  int error = 0;
  if (fstat(descriptor, &status) != 0) {
    error = errno;
  } else if (S_ISDIR(status.st_mode)) {
    error = EISDIR;
  } else if (S_ISREG(status.st_mode) && status.st_uid != geteuid()) {
    error = kForeignFile;
  }
  if (error == 0) return descriptor;
  close(descriptor);
  errno = error;
  return -1;
}

bool nameExists(const char* name) {
  struct stat status {};
  return lstat(name, &status) == 0;
}

std::FILE* openPrivateForAppending(const char* name) {
  WriteTarget target;
  if (!findWriteTarget(name, target)) return nullptr;
  int descriptor =
      openWriteTarget(target, O_RDWR | O_APPEND | O_CREAT, kOwnerOnly);
  if (descriptor >= 0 && target.kind != TargetKind::kSpecial) {
    descriptor = keepOwnPrivateFile(descriptor, false);
  }
  return streamFor(descriptor, "a+");
}

bool rotateFile(const char* name, const char* rotated) {
  struct stat status {};
  if (lstat(rotated, &status) == 0 && status.st_uid != geteuid()) {
    errno = refusal(status);
    return false;
  }
  return std::rename(name, rotated) == 0;
}

bool removeOwnName(const char* name) {
  struct stat status {};
  if (lstat(name, &status) != 0) return errno == ENOENT;
  if (status.st_uid != geteuid()) {
    errno = refusal(status);
    return false;
  }
  return unlink(name) == 0 || errno == ENOENT;
}

std::FILE* openOwnFileForReading(const char* name) {
  // Non-blocking: a pipe put at the name must not stop the program.
  int descriptor = open(name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (descriptor >= 0) descriptor = keepOwnPrivateFile(descriptor, true);
  return streamFor(descriptor, "r");
}

std::FILE* openOwnFileForWriting(const char* name) {
  int descriptor =
      open(name, O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
           kOwnerOnly);
  if (descriptor >= 0) descriptor = keepOwnPrivateFile(descriptor, false);
  if (descriptor >= 0 && ftruncate(descriptor, 0) != 0) {
    int saved = errno;
    close(descriptor);
    errno = saved;
    descriptor = -1;
  }
  return streamFor(descriptor, "w");
}

}  // namespace platform
