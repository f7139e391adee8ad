#include "shell/line_editor.h"

#include <histedit.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "language/grammar.h"
#include "language/line_scanner.h"
#include "platform/interruption.h"
#include "shell/history_file.h"

namespace shell {

struct LineEditor::State {
  EditLine* editor = nullptr;
  History* history = nullptr;
  HistEvent event{};
  HistoryFile file;
  language::NameSource names;
  LineEditor::LineAction help;
  std::string prompt;
};

namespace {

LineEditor::State& stateOf(EditLine* editor) {
  void* data = nullptr;
  el_get(editor, EL_CLIENTDATA, &data);
  return *static_cast<LineEditor::State*>(data);
}

char* promptText(EditLine* editor) { return stateOf(editor).prompt.data(); }

int terminalWidth(EditLine* editor) {
  int columns = 0;
  if (el_get(editor, EL_GETTC, "co", &columns, nullptr) != 0 || columns <= 0) {
    return 80;
  }
  return columns;
}

// TAB: a unique candidate replaces the word being typed, with the blank or
// '=' that follows it; several extend the word as far as they agree and
// are listed below the line.
unsigned char completeWord(EditLine* editor, int) {
  LineEditor::State& state = stateOf(editor);
  const LineInfo* info = el_line(editor);
  std::string_view before(
      info->buffer, static_cast<std::size_t>(info->cursor - info->buffer));
  language::Completion completion =
      language::complete(language::rootList(), before, state.names);
  if (completion.candidates.empty()) return CC_REFRESH_BEEP;

  int typed = static_cast<int>(before.size() - completion.wordStart);
  const auto& candidates = completion.candidates;
  if (candidates.size() == 1) {
    std::string text = candidates.front().text;
    if (candidates.front().suffix != '\0') text += candidates.front().suffix;
    el_deletestr(editor, typed);
    el_insertstr(editor, text.c_str());
    return CC_REFRESH;
  }
  std::string prefix = language::commonPrefix(candidates);
  if (prefix.size() > static_cast<std::size_t>(typed)) {
    el_deletestr(editor, typed);
    el_insertstr(editor, prefix.c_str());
  }
  std::fputc('\n', stdout);
  std::fputs(
      language::formatCandidates(candidates, terminalWidth(editor)).c_str(),
      stdout);
  std::fflush(stdout);
  return CC_REDISPLAY;
}

// '?' where the parser would answer it lists the choices at once, as Enter
// after it would, then gives the line back as typed.
unsigned char helpAtOnce(EditLine* editor, int) {
  LineEditor::State& state = stateOf(editor);
  const LineInfo* info = el_line(editor);
  std::string_view before(
      info->buffer, static_cast<std::size_t>(info->cursor - info->buffer));
  if (info->cursor != info->lastchar || !language::questionAsksHelp(before)) {
    el_insertstr(editor, "?");
    return CC_REFRESH;
  }
  // The mark and the line feed of Enter, the answer, and the line feed each
  // prompt starts with.
  std::fputs("?\n", stdout);
  std::string line(before);
  line += '?';
  state.help(line);
  std::fputc('\n', stdout);
  std::fflush(stdout);
  return CC_REDISPLAY;
}

// Keys come through the platform's reader, which also ends the wait when a
// Ctrl-C came while the editor was busy with the key before; the editor's
// own read would wait for the next key with the interruption recorded.
int readCharacter(EditLine*, wchar_t* character) {
  return platform::readTerminalCharacter(*character);
}

// Ctrl-D ends input on an empty line without the "^D" the editor's own
// binding prints, so the session ends looking as at a plain terminal;
// elsewhere it deletes the character under the cursor.
unsigned char endOrDelete(EditLine* editor, int) {
  const LineInfo* info = el_line(editor);
  if (info->buffer == info->lastchar) return CC_EOF;
  if (info->cursor == info->lastchar) return CC_REFRESH_BEEP;
  el_cursor(editor, 1);
  el_deletestr(editor, 1);
  return CC_REFRESH;
}

}  // namespace

LineEditor::LineEditor(language::NameSource names, LineAction help)
    : state_(std::make_unique<State>()) {
  State& state = *state_;
  state.names = std::move(names);
  state.help = std::move(help);
  state.file = userHistoryFile();

  state.history = history_init();
  history(state.history, &state.event, H_SETSIZE,
          static_cast<int>(kHistoryLines));
  history(state.history, &state.event, H_SETUNIQUE, 1);
  for (const std::string& line : loadHistory(state.file)) {
    history(state.history, &state.event, H_ENTER, line.c_str());
  }

  state.editor = el_init("pelk", stdin, stdout, stderr);
  el_set(state.editor, EL_CLIENTDATA, &state);
  el_set(state.editor, EL_EDITOR, "emacs");
  // The editor's own signal handlers would do more than the program's,
  // which only record an interruption (platform/interruption.h): a read
  // ended by a signal returns from el_gets, which leaves the terminal as
  // it found it. Changes of the window size are taken at each prompt.
  el_set(state.editor, EL_SIGNAL, 0);
  el_set(state.editor, EL_GETCFN, readCharacter);
  el_set(state.editor, EL_PROMPT, promptText);
  el_set(state.editor, EL_HIST, history, state.history);
  // The wide form keeps the names as given; the narrow one copies them
  // and never frees the copies.
  el_wset(state.editor, EL_ADDFN, L"pelk-complete",
          L"Complete the command word", completeWord);
  el_wset(state.editor, EL_ADDFN, L"pelk-end-or-delete",
          L"End input on an empty line, else delete", endOrDelete);
  el_wset(state.editor, EL_ADDFN, L"pelk-help", L"List the choices at once",
          helpAtOnce);
  el_set(state.editor, EL_BIND, "^I", "pelk-complete", nullptr);
  el_set(state.editor, EL_BIND, "?", "pelk-help", nullptr);
  el_set(state.editor, EL_BIND, "^D", "pelk-end-or-delete", nullptr);
  el_set(state.editor, EL_BIND, "^R", "em-inc-search-prev", nullptr);
  // The user's own key bindings (~/.editrc) come last, so they win.
  el_source(state.editor, nullptr);
}

LineEditor::~LineEditor() {
  el_end(state_->editor);
  history_end(state_->history);
}

platform::LineStatus LineEditor::readLine(const char* promptName,
                                          platform::LineBuffer& line) {
  State& state = *state_;
  // The line feed is printed apart from the prompt: the editor measures
  // its prompt as one line when it redraws.
  std::fputc('\n', stdout);
  std::fflush(nullptr);
  state.prompt = std::string(promptName) + "> ";

  line.length = 0;
  line.text[0] = '\0';
  line.atEnd = false;
  line.error = 0;
  int count = 0;
  el_resize(state.editor);
  errno = 0;
  const char* text = el_gets(state.editor, &count);
  if (text == nullptr && platform::interrupted()) {
    return platform::LineStatus::kInterrupted;
  }
  if (text == nullptr || count <= 0) {
    line.atEnd = true;
    if (count < 0) {
      line.error = errno != 0 ? errno : EIO;
      return platform::LineStatus::kError;
    }
    return platform::LineStatus::kEnd;
  }
  // Bytes, as the plain loop counts them, line feed included.
  std::size_t length = std::strlen(text);
  if (length >= platform::kLineLimit) return platform::LineStatus::kTooLong;
  if (length > 0 && text[length - 1] == '\n') --length;
  std::memcpy(line.text, text, length);
  line.text[length] = '\0';
  line.length = length;
  std::string typed(line.text, length);
  typed.erase(typed.find_last_not_of(" \t") + 1);  // npos + 1 is 0
  if (!typed.empty()) {
    history(state.history, &state.event, H_ENTER, typed.c_str());
    rememberLine(state.file, typed);
  }
  return platform::LineStatus::kOk;
}

}  // namespace shell
