// Line editing at the prompt when a person sits at a terminal: cursor
// movement and editing keys, Ctrl-R search, history kept across sessions,
// TAB completion from the command graph, and '?' answered at once.
#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "language/completion.h"
#include "platform/console.h"

namespace shell {

class LineEditor {
 public:
  struct State;  // the editor, its history and the completion source

  // Runs a line as if it had been typed and entered.
  using LineAction = std::function<void(std::string_view line)>;

  // `names` supplies the object names offered at value positions; an empty
  // one offers none there. A '?' typed at the end of the line where the
  // parser answers it hands the line with the '?' to `help` and then shows
  // the line again as it was; anywhere else it is an ordinary character.
  LineEditor(language::NameSource names, LineAction help);
  ~LineEditor();
  LineEditor(const LineEditor&) = delete;
  LineEditor& operator=(const LineEditor&) = delete;

  // Shows the prompt "\n<promptName>> " on the standard output and reads
  // one edited line, with the results of platform::readLine: kTooLong when
  // the line with its line feed reaches platform::kLineLimit, kEnd at the
  // end of input (Ctrl-D on an empty line), kError with `error` set when
  // the terminal cannot be read, kInterrupted when an interruption ended
  // the editing (the line is dropped). Lines read are added to the
  // history.
  platform::LineStatus readLine(const char* promptName,
                                platform::LineBuffer& line);

 private:
  std::unique_ptr<State> state_;
};

}  // namespace shell
