// A session that parses lines against the real grammar and keeps what the
// node handlers recorded, or runs whole lines, with the output captured.
#pragma once

#include <string>

#include "language/grammar.h"
#include "language/parser.h"
#include "request/session_fixture.h"
#include "session/work_area.h"
#include "shell/execute_line.h"

namespace objects_test {

class ParseFixture : public request_test::SessionFixture {
 protected:
  // Parses one line without running its final action.
  session::ParseStatus parse(const std::string& text) {
    resetWorkArea();
    line_ = text;
    context_.cursor = line_.c_str();
    context_.remaining = static_cast<uint32_t>(line_.size());
    return language::quill_parse(language::rootList(), context_);
  }

  // Parses and executes one line as the session loops do.
  void run(const std::string& text) {
    line_ = text;
    shell::executeLine(context_, line_.c_str(), line_.size(), false);
  }

  // "name=value " for each pending property, in the order a request
  // would carry them.
  std::string properties() const {
    std::string text;
    for (const session::PendingProperty* property =
             session_.work.pendingProperties;
         property != nullptr; property = property->next) {
      text += std::string(property->name) + "=" + property->value + " ";
    }
    return text;
  }

  static std::string text(const char* value) {
    return value != nullptr ? value : "(none)";
  }

 private:
  void resetWorkArea() {
    session::releaseWorkArea(session_);
    session_.work = session::WorkArea{};
    session_.work.currentLabel = copy("");
  }

  std::string line_;
};

}  // namespace objects_test
