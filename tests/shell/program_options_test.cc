// How long a request may take: a job nobody watches gives up a stalled
// request after ten minutes unless told otherwise; a person's session
// waits as long as the manager takes.
#include "shell/program_options.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

namespace shell {
namespace {

TEST(ProgramOptions, AJobIsBoundedByDefaultAndAPersonIsNot) {
  const struct {
    std::vector<std::string> arguments;
    const char* environment;  // PELK_TIMEOUT, or nullptr
    uint32_t bound;
  } cases[] = {
      {{}, nullptr, 0},
      {{"--json"}, nullptr, kJobTimeoutSeconds},
      {{"--quiet"}, nullptr, kJobTimeoutSeconds},
      {{"--quiet"}, "", kJobTimeoutSeconds},
      {{"--json", "--timeout", "0"}, nullptr, 0},
      {{"--quiet", "--timeout", "30"}, nullptr, 30},
      {{"--json"}, "0", 0},
      {{"--json"}, "45", 45},
      {{"--timeout", "20"}, nullptr, 20},
  };
  for (const auto& c : cases) {
    std::vector<char*> argv = {const_cast<char*>("pelk")};
    std::string shown;
    for (const std::string& word : c.arguments) {
      argv.push_back(const_cast<char*>(word.c_str()));
      shown += word + " ";
    }
    SCOPED_TRACE(shown + "PELK_TIMEOUT=" +
                 (c.environment != nullptr ? c.environment : "(unset)"));
    if (c.environment != nullptr) {
      setenv("PELK_TIMEOUT", c.environment, 1);
    } else {
      unsetenv("PELK_TIMEOUT");
    }
    ProgramOptions options;
    int argc = static_cast<int>(argv.size());
    ASSERT_EQ(argc, readProgramOptions(argc, argv.data(), options));
    EXPECT_EQ(c.bound, requestBoundSeconds(options));
  }
  unsetenv("PELK_TIMEOUT");
}

}  // namespace
}  // namespace shell
