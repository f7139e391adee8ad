#include "shell/history_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "language/grammar.h"
#include "language/line_scanner.h"
#include "language/password_mask.h"
#include "platform/user_files.h"

namespace shell {
namespace {

// Twice what kHistoryLines of the longest lines the prompt takes fill: a
// larger file is none the prompt keeps, and reading it could exhaust memory
// (a device that never ends, such as /dev/zero).
constexpr std::size_t kHistoryBytes = std::size_t{4} << 20;

bool isBlank(std::string_view line) {
  return std::all_of(line.begin(), line.end(), language::isBlank);
}

}  // namespace

bool holdsPassword(std::string_view line) {
  return !language::maskPasswords(language::rootList(), line).masked.empty();
}

HistoryFile userHistoryFile() {
  return HistoryFile{platform::homeFile(".pelk_history"), {}};
}

std::vector<std::string> loadHistory(HistoryFile& history) {
  std::vector<std::string> lines;
  if (history.path.empty()) return lines;
  if (!platform::readLines(history.path, kHistoryBytes, lines)) {
    if (errno == EFBIG) {
      std::fprintf(stderr,
                   "pelk: the history file %s is not used: it holds more "
                   "than %zu MB\n",
                   history.path.c_str(), kHistoryBytes >> 20);
      history.path.clear();
    }
    return lines;
  }
  // Lines written by hand or by older versions are held to the same rule.
  std::size_t total = lines.size();
  std::erase_if(lines, [](const std::string& line) {
    return isBlank(line) || holdsPassword(line);
  });
  if (lines.size() > kHistoryLines) {
    lines.erase(lines.begin(), lines.end() - kHistoryLines);
  }
  if (lines.size() != total) platform::replacePrivateLines(history.path, lines);
  if (!lines.empty()) history.lastLine = lines.back();
  return lines;
}

void rememberLine(HistoryFile& history, std::string_view line) {
  if (history.path.empty() || isBlank(line) || holdsPassword(line) ||
      line == history.lastLine) {
    return;
  }
  if (platform::appendPrivateLine(history.path, line)) history.lastLine = line;
}

}  // namespace shell
