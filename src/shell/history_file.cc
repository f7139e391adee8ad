#include "shell/history_file.h"

#include "language/grammar.h"
#include "language/password_mask.h"
#include "platform/user_files.h"

namespace shell {
namespace {

bool isBlank(std::string_view line) {
  return line.find_first_not_of(' ') == std::string_view::npos;
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
  if (history.path.empty() || !platform::readLines(history.path, lines)) {
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
