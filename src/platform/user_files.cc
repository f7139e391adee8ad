#include "platform/user_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace platform {
namespace {

constexpr mode_t kOwnerOnly = 0600;

// Writes all of `text`, going on after partial writes and interruptions.
bool writeAll(int descriptor, std::string_view text) {
  while (!text.empty()) {
    ssize_t written = write(descriptor, text.data(), text.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    text.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

std::string homeFile(const char* name) {
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] == '\0') return {};
  std::string path(home);
  if (path.back() != '/') path += '/';
  return path + name;
}

bool readLines(const std::string& path, std::vector<std::string>& lines) {
  std::FILE* stream = std::fopen(path.c_str(), "r");
  if (stream == nullptr) return false;
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
  int descriptor =
      open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, kOwnerOnly);
  if (descriptor < 0) return false;
  std::string text(line);
  text += '\n';
  bool written = writeAll(descriptor, text);
  return close(descriptor) == 0 && written;
}

bool replacePrivateLines(const std::string& path,
                         const std::vector<std::string>& lines) {
  std::string temporary = path + ".new";
  int descriptor = open(temporary.c_str(),
                        O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kOwnerOnly);
  if (descriptor < 0) return false;
  std::string text;
  for (const std::string& line : lines) text += line + '\n';
  // fchmod: a leftover temporary file from an interrupted run may have
  // been created with other permissions.
  bool written = fchmod(descriptor, kOwnerOnly) == 0 &&
                 writeAll(descriptor, text) && fsync(descriptor) == 0;
  if (close(descriptor) != 0 || !written ||
      std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace platform
