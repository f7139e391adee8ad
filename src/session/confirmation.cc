#include "session/confirmation.h"

#include <cstring>

#include "platform/console.h"
#include "platform/interruption.h"
#include "session/output.h"
#include "session/result_recorder.h"

namespace session {

bool confirmCommand(const char* warning) {
  std::fputs(warning, outputStream);
  if (automation.yes) return true;
  // A job has nobody to answer, and the next line of its input is no
  // answer.
  if (automation.quiet) {
    std::fputs(
        "\nError: This command asks for confirmation; run pelk with --yes "
        "to allow it",
        errorStream());
    return false;
  }
  std::fputs(
      "\n\nAre you sure you wish to execute this command?\n"
      "If so, type \"Yes\" (Note: case sensititve) ",
      outputStream);
  platform::LineBuffer line;
  bool yes = false;
  if (platform::readLine(stdin, line) == platform::LineStatus::kOk) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < line.length; ++i) {
      if (static_cast<signed char>(line.text[i]) > 32) {
        line.text[kept++] = line.text[i];
      }
    }
    yes = kept == 3 && std::memcmp(line.text, "Yes", 3) == 0;
  }
  // An interruption is reported by the shell itself.
  if (!yes && !platform::interrupted()) {
    std::fputs("\nCommand aborted\n", outputStream);
  }
  return yes;
}

}  // namespace session
