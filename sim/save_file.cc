#include "sim/save_file.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "sim/written_file.h"

namespace sim {
namespace {

constexpr mode_t kOwnerOnly = 0600;
constexpr int kNameAttempts = 100;

// The new state before it has a name: a file with none (which a killed
// process leaves no trace of) or, where the file system has no such files,
// a temporary one beside the target.
struct NewFile {
  int fd = -1;
  std::string temporary;  // empty for a file with no name
};

std::string DescriptorPath(int fd) {
  return "/proc/self/fd/" + std::to_string(fd);
}

bool CreateBeside(const std::string& target, NewFile& file) {
  size_t slash = target.rfind('/');
  std::string directory = slash == std::string::npos ? "."
                          : slash == 0               ? "/"
                                                     : target.substr(0, slash);
  file.fd = open(directory.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, kOwnerOnly);
  struct stat status {};
  if (file.fd >= 0 && stat(DescriptorPath(file.fd).c_str(), &status) == 0) {
    return true;
  }
  // Kernels without unnamed files answer EISDIR; without /proc there is no
  // way to name one.
  if (file.fd < 0 && errno != EOPNOTSUPP && errno != EISDIR) return false;
  if (file.fd >= 0) close(file.fd);
  file.temporary = target + ".XXXXXX";
  file.fd = mkostemp(file.temporary.data(), O_CLOEXEC);
  if (file.fd < 0) file.temporary.clear();
  return file.fd >= 0;
}

void Discard(NewFile& file) {
  if (file.fd >= 0) close(file.fd);
  if (!file.temporary.empty()) unlink(file.temporary.c_str());
  file = NewFile{};
}

// A name beside `target` that nothing has yet, unpredictable to others.
std::string NameBeside(const std::string& target, int attempt) {
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

// Gives the complete file the target's name: a file with none is linked
// there at once when the name is free, else through a fresh name beside it
// renamed over what the name holds.
bool PutInPlace(NewFile& file, const std::string& target) {
  if (!file.temporary.empty()) {
    if (std::rename(file.temporary.c_str(), target.c_str()) != 0) return false;
    file.temporary.clear();
    return true;
  }
  const std::string self = DescriptorPath(file.fd);
  if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target.c_str(),
             AT_SYMLINK_FOLLOW) == 0) {
    return true;
  }
  for (int attempt = 0; errno == EEXIST && attempt < kNameAttempts; ++attempt) {
    std::string beside = NameBeside(target, attempt);
    if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, beside.c_str(),
               AT_SYMLINK_FOLLOW) != 0) {
      continue;
    }
    if (std::rename(beside.c_str(), target.c_str()) == 0) return true;
    int saved = errno;
    unlink(beside.c_str());
    errno = saved;
    return false;
  }
  return false;
}

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t written = write(fd, text.data() + done, text.size() - done);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(written);
  }
  return true;
}

}  // namespace

bool CheckSaveFile(const std::string& path, std::string& error) {
  WriteTarget target;
  if (!ResolveWriteTarget(path, target, error)) return false;
  if (target.kind == WriteTarget::Kind::kSpecial) return true;
  NewFile probe;
  if (!CreateBeside(target.path, probe)) return WriteFailed(error, path);
  Discard(probe);
  return true;
}

bool SaveFile(const std::string& path, const std::string& text,
              std::string& error) {
  WriteTarget target;
  if (!ResolveWriteTarget(path, target, error)) return false;
  if (target.kind == WriteTarget::Kind::kSpecial) {
    int fd = OpenWriteTarget(path, target, O_WRONLY, 0, error);
    if (fd < 0) return false;
    bool written = WriteAll(fd, text);
    int saved = errno;
    close(fd);
    errno = saved;
    return written || WriteFailed(error, path);
  }
  NewFile file;
  if (!CreateBeside(target.path, file)) return WriteFailed(error, path);
  bool written = fchmod(file.fd, kOwnerOnly) == 0 && WriteAll(file.fd, text) &&
                 fsync(file.fd) == 0 && PutInPlace(file, target.path);
  int saved = errno;
  Discard(file);
  errno = saved;
  return written || WriteFailed(error, path);
}

}  // namespace sim
