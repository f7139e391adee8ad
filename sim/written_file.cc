#include "sim/written_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

namespace sim {
namespace {

constexpr int kMostLinks = 40;

void (*checkedNameHook)(const std::string& path) = nullptr;

// Why the rule does not let what `status` describes be written, nullptr
// when it does. Hard links are left to the caller: a replacement breaks
// them.
const char* Refusal(const struct stat& status) {
  if (S_ISDIR(status.st_mode)) return "it is a directory";
  if (S_ISCHR(status.st_mode)) return nullptr;
  bool own = status.st_uid == geteuid();
  if (!own) return "it is a file of another user";
  if (S_ISREG(status.st_mode) || S_ISFIFO(status.st_mode)) return nullptr;
  return "it is a socket or a block device";
}

WriteTarget Seen(const std::string& path, WriteTarget::Kind kind,
                 const struct stat& status) {
  WriteTarget target;
  target.path = path;
  target.kind = kind;
  target.device = status.st_dev;
  target.inode = status.st_ino;
  return target;
}

int ClosedFailing(int fd, std::string& error, const std::string& name,
                  const char* reason) {
  int saved = errno;
  close(fd);
  errno = saved;
  WriteFailed(error, name, reason);
  return -1;
}

}  // namespace

bool WriteFailed(std::string& error, const std::string& name,
                 const char* reason) {
  error = "cannot write " + name + ": " +
          (reason != nullptr ? reason : std::strerror(errno));
  return false;
}

bool ResolveWriteTarget(const std::string& name, WriteTarget& target,
                        std::string& error) {
  std::string path = name;
  for (int links = 0; links <= kMostLinks; ++links) {
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0) {
      if (errno != ENOENT) return WriteFailed(error, name);
      target = WriteTarget{path};
      return true;
    }
    if (!S_ISLNK(status.st_mode)) {
      if (const char* refusal = Refusal(status)) {
        return WriteFailed(error, name, refusal);
      }
      target = Seen(path,
                    S_ISREG(status.st_mode) ? WriteTarget::Kind::kRegular
                                            : WriteTarget::Kind::kSpecial,
                    status);
      return true;
    }
    if (status.st_uid != geteuid() && status.st_uid != 0) {
      return WriteFailed(error, name, "it is a symbolic link of another user");
    }
    char buffer[PATH_MAX];
    ssize_t length = readlink(path.c_str(), buffer, sizeof buffer - 1);
    if (length <= 0) return WriteFailed(error, name);
    std::string next(buffer, static_cast<size_t>(length));
    size_t slash = path.rfind('/');
    if (next[0] != '/' && slash != std::string::npos) {
      next = path.substr(0, slash + 1) + next;
    }
    struct stat nextStatus {};
    if (lstat(next.c_str(), &nextStatus) != 0 && errno == ENOENT &&
        stat(path.c_str(), &nextStatus) == 0) {
      // Resolved by the kernel alone, as /dev/stdout is.
      if (S_ISDIR(nextStatus.st_mode)) {
        return WriteFailed(error, name, "it is a directory");
      }
      target = Seen(path, WriteTarget::Kind::kSpecial, nextStatus);
      target.given = true;
      return true;
    }
    path = next;
  }
  errno = ELOOP;
  return WriteFailed(error, name);
}

int OpenWriteTarget(const std::string& name, const WriteTarget& target,
                    int flags, mode_t mode, std::string& error) {
  bool missing = target.kind == WriteTarget::Kind::kMissing;
  int openFlags = flags | O_NONBLOCK | O_CLOEXEC;
  if (!missing) openFlags &= ~O_CREAT;
  if (!target.given) openFlags |= O_NOFOLLOW;
  if (checkedNameHook != nullptr) checkedNameHook(target.path);
  int fd = open(target.path.c_str(), openFlags, mode);
  if (fd < 0) {
    WriteFailed(error, name);
    return -1;
  }
  struct stat status {};
  if (fstat(fd, &status) != 0) return ClosedFailing(fd, error, name, nullptr);
  if (!missing &&
      (status.st_dev != target.device || status.st_ino != target.inode)) {
    return ClosedFailing(fd, error, name, "it was replaced while being opened");
  }
  if (!target.given) {
    if (const char* refusal = Refusal(status)) {
      return ClosedFailing(fd, error, name, refusal);
    }
    if (S_ISREG(status.st_mode) && status.st_nlink > 1) {
      return ClosedFailing(fd, error, name,
                           "it is a file with other hard links");
    }
  }
  int fileFlags = fcntl(fd, F_GETFL);
  if (fileFlags < 0 || fcntl(fd, F_SETFL, fileFlags & ~O_NONBLOCK) != 0) {
    return ClosedFailing(fd, error, name, nullptr);
  }
  return fd;
}

void SetCheckedNameHook(void (*hook)(const std::string& path)) {
  checkedNameHook = hook;
}

std::FILE* OpenForAppending(const std::string& name, std::string& error) {
  WriteTarget target;
  if (!ResolveWriteTarget(name, target, error)) return nullptr;
  int fd =
      OpenWriteTarget(name, target, O_WRONLY | O_APPEND | O_CREAT, 0666, error);
  if (fd < 0) return nullptr;
  std::FILE* file = fdopen(fd, "a");
  if (file == nullptr) ClosedFailing(fd, error, name, nullptr);
  return file;
}

}  // namespace sim
