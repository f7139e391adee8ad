#include "platform/user_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/pending_file.h"
#include "platform/written_files.h"

namespace platform {

std::string homeFile(const char* name) {
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] == '\0') return {};
  std::string path(home);
  if (path.back() != '/') path += '/';
  return path + name;
}

bool readLines(const std::string& path, std::size_t limit,
               std::vector<std::string>& lines) {
  // Read only what may also be written: the file keeps what was typed.
  WriteTarget target;
  if (!findWriteTarget(path.c_str(), target)) return false;
  if (target.kind == TargetKind::kMissing) {
    errno = ENOENT;
    return false;
  }
  int descriptor = openWriteTarget(target, O_RDONLY, 0);
  if (descriptor < 0) return false;
  // A device such as /dev/zero never ends: no more than the limit is read.
  std::string text;
  char buffer[65536];
  ssize_t count = 0;
  while (text.size() <= limit &&
         (count = read(descriptor, buffer, sizeof buffer)) != 0) {
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) break;
    text.append(buffer, static_cast<std::size_t>(count));
  }
  int error = count < 0 ? errno : text.size() > limit ? EFBIG : 0;
  close(descriptor);
  if (error != 0) {
    errno = error;
    return false;
  }
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return true;
}

bool appendPrivateLine(const std::string& path, std::string_view line) {
  std::FILE* stream = openPrivateForAppending(path.c_str());
  if (stream == nullptr) return false;
  bool written =
      std::fwrite(line.data(), 1, line.size(), stream) == line.size() &&
      std::fputc('\n', stream) != EOF;
  return std::fclose(stream) == 0 && written;
}

bool replacePrivateLines(const std::string& path,
                         const std::vector<std::string>& lines) {
  PendingFile file;
  if (!file.open(path.c_str(), FileAccess::kPrivate)) return false;
  for (const std::string& line : lines) {
    std::fwrite(line.data(), 1, line.size(), file.stream());
    std::fputc('\n', file.stream());
  }
  return file.commit();
}

}  // namespace platform
