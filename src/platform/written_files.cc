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

CheckedNameHook checkedNameHook = nullptr;

bool trustedLinkOwner(uid_t owner) { return owner == geteuid() || owner == 0; }

// Why the rule does not let what `status` describes be written, 0 when it
// does. Hard links are left to the caller: a replacement breaks them.
int refusalOf(const struct stat& status) {
  if (S_ISDIR(status.st_mode)) return EISDIR;
  if (S_ISCHR(status.st_mode)) return 0;
  bool own = status.st_uid == geteuid();
  if (S_ISREG(status.st_mode) || S_ISFIFO(status.st_mode)) {
    return own ? 0 : kForeignFile;
  }
  return own ? kUnwritableKind : kForeignFile;
}

WriteTarget seenTarget(const std::string& path, TargetKind kind,
                       const struct stat& status) {
  WriteTarget target{path, kind};
  target.device = status.st_dev;
  target.inode = status.st_ino;
  target.mode = status.st_mode & 07777;
  return target;
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
// (a descriptor under /proc, such as /dev/stdout leads to); `resolved`
// then describes what it leads to.
bool resolvedByKernelOnly(const std::string& link, const std::string& next,
                          struct stat& resolved) {
  struct stat status {};
  if (lstat(next.c_str(), &status) == 0 || errno != ENOENT) return false;
  return stat(link.c_str(), &resolved) == 0;
}

// Why the opened descriptor may not be written, 0 when it may.
int descriptorRefusal(const WriteTarget& target, const struct stat& status) {
  if (target.kind != TargetKind::kMissing &&
      (status.st_dev != target.device || status.st_ino != target.inode)) {
    return kChangedFile;
  }
  if (target.givenDescriptor) return S_ISDIR(status.st_mode) ? EISDIR : 0;
  if (int refusal = refusalOf(status); refusal != 0) return refusal;
  return S_ISREG(status.st_mode) && status.st_nlink > 1 ? kLinkedFile : 0;
}

// Opened without blocking on a pipe; written and read blocking, as any
// other file.
int clearNonBlocking(int descriptor) {
  int flags = fcntl(descriptor, F_GETFL);
  return flags < 0 ? -1 : fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK);
}

int closedWith(int descriptor, int error) {
  close(descriptor);
  errno = error;
  return -1;
}

std::FILE* streamFor(int descriptor, const char* mode) {
  if (descriptor < 0) return nullptr;
  std::FILE* stream = fdopen(descriptor, mode);
  if (stream == nullptr) closedWith(descriptor, errno);
  return stream;
}

// A regular file written for the user alone is made its owner's only.
int keepPrivate(int descriptor) {
  struct stat status {};
  if (fstat(descriptor, &status) != 0) return closedWith(descriptor, errno);
  if (S_ISREG(status.st_mode) && (status.st_mode & 07777) != kOwnerOnly &&
      fchmod(descriptor, kOwnerOnly) != 0) {
    return closedWith(descriptor, errno);
  }
  return descriptor;
}

// The descriptor's file must be a regular file of the user's with no
// other name. One to be read must be closed to group and others already;
// one to be written is made its owner's only. -1 with errno otherwise (the
// descriptor closed).
int keepOwnPrivateFile(int descriptor, bool forReading) {
  struct stat status {};
  if (fstat(descriptor, &status) != 0) return closedWith(descriptor, errno);
  if (!S_ISREG(status.st_mode) || status.st_uid != geteuid() ||
      (forReading && (status.st_mode & 077) != 0)) {
    return closedWith(descriptor, kForeignFile);
  }
  if (status.st_nlink > 1) return closedWith(descriptor, kLinkedFile);
  if (clearNonBlocking(descriptor) != 0) return closedWith(descriptor, errno);
  return forReading ? descriptor : keepPrivate(descriptor);
}

}  // namespace

bool isRefusal(int error) {
  return error == kForeignLink || error == kForeignFile ||
         error == kLinkedFile || error == kUnwritableKind ||
         error == kChangedFile;
}

bool findWriteTarget(const char* name, WriteTarget& target) {
  std::string path = name;
  for (int links = 0; links <= kMostLinks; ++links) {
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0) {
      if (errno != ENOENT) return false;
      target = WriteTarget{path, TargetKind::kMissing};
      return true;
    }
    if (!S_ISLNK(status.st_mode)) {
      if (int refusal = refusalOf(status); refusal != 0) {
        errno = refusal;
        return false;
      }
      target = seenTarget(
          path,
          S_ISREG(status.st_mode) ? TargetKind::kRegular : TargetKind::kSpecial,
          status);
      return true;
    }
    if (!trustedLinkOwner(status.st_uid)) {
      errno = kForeignLink;
      return false;
    }
    std::string next;
    if (!readLink(path, next)) return false;
    struct stat resolved {};
    if (resolvedByKernelOnly(path, next, resolved)) {
      if (S_ISDIR(resolved.st_mode)) {
        errno = EISDIR;
        return false;
      }
      target = seenTarget(path, TargetKind::kSpecial, resolved);
      target.givenDescriptor = true;
      return true;
    }
    path = next;
  }
  errno = ELOOP;
  return false;
}

int openWriteTarget(const WriteTarget& target, int flags, unsigned mode) {
  int openFlags = flags | O_NONBLOCK | O_CLOEXEC;
  // Only what was missing is created: a file that went since stays gone.
  if (target.kind != TargetKind::kMissing) openFlags &= ~O_CREAT;
  // A given descriptor is reached through the kernel's link; any other
  // link put at a checked name since is not followed.
  if (!target.givenDescriptor) openFlags |= O_NOFOLLOW;
  if (checkedNameHook != nullptr) checkedNameHook(target.path.c_str());
  int descriptor =
      open(target.path.c_str(), openFlags, static_cast<mode_t>(mode));
  if (descriptor < 0) return -1;
  struct stat status {};
  if (fstat(descriptor, &status) != 0) return closedWith(descriptor, errno);
  if (int refusal = descriptorRefusal(target, status); refusal != 0) {
    return closedWith(descriptor, refusal);
  }
  if (clearNonBlocking(descriptor) != 0) return closedWith(descriptor, errno);
  return descriptor;
}

void installCheckedNameHook(CheckedNameHook hook) { checkedNameHook = hook; }

bool nameExists(const char* name) {
  struct stat status {};
  return lstat(name, &status) == 0;
}

std::FILE* openPrivateForAppending(const char* name) {
  WriteTarget target;
  if (!findWriteTarget(name, target)) return nullptr;
  int descriptor =
      openWriteTarget(target, O_RDWR | O_APPEND | O_CREAT, kOwnerOnly);
  if (descriptor >= 0) descriptor = keepPrivate(descriptor);
  return streamFor(descriptor, "a+");
}

bool rotateFile(const char* name, const char* rotated) {
  struct stat status {};
  if (lstat(rotated, &status) == 0 && status.st_uid != geteuid()) {
    errno = S_ISLNK(status.st_mode) ? kForeignLink : kForeignFile;
    return false;
  }
  return std::rename(name, rotated) == 0;
}

bool removeOwnName(const char* name) {
  struct stat status {};
  if (lstat(name, &status) != 0) return errno == ENOENT;
  if (status.st_uid != geteuid()) {
    errno = S_ISLNK(status.st_mode) ? kForeignLink : kForeignFile;
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
    descriptor = closedWith(descriptor, errno);
  }
  return streamFor(descriptor, "w");
}

}  // namespace platform
