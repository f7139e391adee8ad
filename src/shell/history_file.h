// The prompt's history of earlier command lines, kept across sessions in a
// file in the user's home directory. Lines that carry a password never
// reach the file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace shell {

// How many earlier lines a session starts with; the file is cut back to
// them when it has grown longer.
inline constexpr std::size_t kHistoryLines = 1000;

struct HistoryFile {
  std::string path;      // empty: history is kept for this session only
  std::string lastLine;  // the newest line in the file, not written twice
};

// The history file of the user: ".pelk_history" in the home directory.
HistoryFile userHistoryFile();

// The newest kHistoryLines lines of the file, oldest first. A longer file
// is rewritten with only these. A file of more than 4 MB is neither read
// nor written (the path is emptied), which standard error is told.
std::vector<std::string> loadHistory(HistoryFile& history);

// Appends a line to the file unless it is blank, repeats the newest line
// or holds a password.
void rememberLine(HistoryFile& history, std::string_view line);

// True when the line may carry a password: one that maskPasswords
// (language/password_mask.h) finds.
bool holdsPassword(std::string_view line);

}  // namespace shell
