#include "platform/user_files.h"

#include <fcntl.h>
#include <unistd.h>

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

bool readLines(const std::string& path, std::vector<std::string>& lines) {
  // Read only what may also be written: the file keeps what was typed.
  WriteTarget target;
  if (!findWriteTarget(path.c_str(), target) ||
      target.kind == TargetKind::kMissing) {
    return false;
  }
  int descriptor = openWriteTarget(target, O_RDONLY, 0);
  std::FILE* stream = descriptor >= 0 ? fdopen(descriptor, "r") : nullptr;
  if (stream == nullptr) {
    if (descriptor >= 0) close(descriptor);
    return false;
  }
  std::string line;
  for (int c = std::getc(stream); c != EOF; c = std::getc(stream)) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else {
      line += static_cast<char>(c);
    }
  }
  if (!line.empty()) lines.push_back(line);
  std::fclose(stream);
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
