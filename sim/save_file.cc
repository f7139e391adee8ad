#include "sim/save_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

namespace sim {
namespace {

constexpr int kMostLinks = 40;

struct Target {
  std::string path;
  bool special = false;  // a device or pipe: written in place
  bool exists = false;
  mode_t mode = 0;
};

bool Failed(std::string& error, const std::string& path, const char* reason) {
  error = "cannot write " + path + ": " + reason;
  return false;
}

bool FailedErrno(std::string& error, const std::string& path) {
  return Failed(error, path, std::strerror(errno));
}

// Follows the user's own links (and root's) to what the name leads to.
bool Resolve(const std::string& name, Target& target, std::string& error) {
  std::string path = name;
  for (int links = 0; links <= kMostLinks; ++links) {
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0) {
      if (errno != ENOENT) return FailedErrno(error, name);
      target = Target{path, false, false, 0};
      return true;
    }
    if (S_ISDIR(status.st_mode)) {
      return Failed(error, name, "it is a directory");
    }
    if (!S_ISLNK(status.st_mode)) {
      if (S_ISREG(status.st_mode) && status.st_uid != geteuid()) {
        return Failed(error, name, "it is a file of another user");
      }
      target =
          Target{path, !S_ISREG(status.st_mode), true, status.st_mode & 0777};
      return true;
    }
    if (status.st_uid != geteuid() && status.st_uid != 0) {
      return Failed(error, name, "it is a symbolic link of another user");
    }
    char buffer[PATH_MAX];
    ssize_t length = readlink(path.c_str(), buffer, sizeof buffer - 1);
    if (length <= 0) return FailedErrno(error, name);
    std::string next(buffer, static_cast<size_t>(length));
    size_t slash = path.rfind('/');
    if (next[0] != '/' && slash != std::string::npos) {
      next = path.substr(0, slash + 1) + next;
    }
    struct stat nextStatus {};
    if (lstat(next.c_str(), &nextStatus) != 0 && errno == ENOENT &&
        stat(path.c_str(), &nextStatus) == 0) {
      // Resolved by the kernel alone, as /dev/stdout is.
      target = Target{path, true, true, 0};
      return true;
    }
    path = next;
  }
  return Failed(error, name, std::strerror(ELOOP));
}

// A new file beside the target; its name is left in `temporary`.
int CreateBeside(const Target& target, std::string& temporary) {
  temporary = target.path + ".XXXXXX";
  return mkostemp(temporary.data(), O_CLOEXEC);
}

bool WriteAll(int descriptor, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t written = write(descriptor, text.data() + done, text.size() - done);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(written);
  }
  return true;
}

mode_t NewFileMode() {
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace

bool CheckSaveFile(const std::string& path, std::string& error) {
  Target target;
  if (!Resolve(path, target, error)) return false;
  if (target.special) return true;
  std::string temporary;
  int descriptor = CreateBeside(target, temporary);
  if (descriptor < 0) return FailedErrno(error, path);
  close(descriptor);
  unlink(temporary.c_str());
  return true;
}

bool SaveFile(const std::string& path, const std::string& text,
              std::string& error) {
  Target target;
  if (!Resolve(path, target, error)) return false;
  if (target.special) {
    int descriptor = open(target.path.c_str(), O_WRONLY | O_CLOEXEC);
    if (descriptor < 0) return FailedErrno(error, path);
    bool written = WriteAll(descriptor, text);
    int saved = errno;
    close(descriptor);
    errno = saved;
    return written || FailedErrno(error, path);
  }
  std::string temporary;
  int descriptor = CreateBeside(target, temporary);
  if (descriptor < 0) return FailedErrno(error, path);
  mode_t mode = target.exists ? target.mode : NewFileMode();
  bool written = fchmod(descriptor, mode) == 0 && WriteAll(descriptor, text) &&
                 fsync(descriptor) == 0;
  int saved = errno;
  if (close(descriptor) != 0 && written) {
    written = false;
    saved = errno;
  }
  if (written && std::rename(temporary.c_str(), target.path.c_str()) != 0) {
    written = false;
    saved = errno;
  }
  if (written) return true;
  unlink(temporary.c_str());
  errno = saved;
  return FailedErrno(error, path);
}

}  // namespace sim
