// Nothing a command line allocates outlives it: after every line the live
// tracked blocks are back to what the session itself holds.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "session/tracked_memory.h"
#include "shell/execute_line.h"
#include "support/run_program.h"

namespace shell {

using session::CommandContext;
using session::liveBlockCount;
using session::outputStream;
using session::releaseAll;
using session::sessionOptions;
using session::SessionState;
using session::trackedNew;

namespace {

TEST(LineLifecycle, EveryLineReleasesWhatItAllocated) {
  testing_support::ScratchDirectory scratch;
  std::string script = scratch.write(
      "nested.pelk", "SHOW OPTIONS\nSELECT MANAGER h USERNAME=u\nSHOW XYZ\n");
  std::FILE* sink = std::fopen("/dev/null", "w");
  outputStream = sink;
  sessionOptions.commandDelay = 0;
  auto* context = trackedNew<CommandContext>("quill_main", __LINE__);
  context->session = trackedNew<SessionState>("quill_main", __LINE__);
  const std::size_t baseline = liveBlockCount();

  const std::string lines[] = {
      "SHOW OPTIONS",
      "SET OPTIONS DISPLAY_WIDTH=100 NOCOMMAND_DELAY",
      "SHOW XYZ",
      "ADD VDISK \"a b\" COMMENT=\"x\" SIZE=10",
      "SELECT MANAGER 10.0.0.5 USERNAME=admin PASSWORD=\"p w\"",
      "FILE " + script,
      "?",
      "SELECT MANAGER 10.0.0.6",
  };
  for (const std::string& line : lines) {
    SCOPED_TRACE(line);
    std::string copy = line;
    executeLine(*context, copy.data(), copy.size(), false);
    // SELECT MANAGER keeps the manager address and the credentials: they
    // belong to the session, not to the line.
    std::size_t kept = 0;
    for (const char* text :
         {context->session->managerAddress, context->session->userName,
          context->session->password}) {
      if (text != nullptr) ++kept;
    }
    EXPECT_EQ(baseline + kept, liveBlockCount());
  }
  EXPECT_STREQ("10.0.0.6:12301", context->session->managerAddress);
  outputStream = stdout;
  std::fclose(sink);
  releaseAll();
}

}  // namespace
}  // namespace shell
