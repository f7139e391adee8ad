// A capture holds texts, held-back lines and fetched details while it
// runs; the session must get every block back, whether the capture
// succeeds or fails half way, or each capture would leave memory behind.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "session/session.h"
#include "session/tracked_memory.h"
#include "shell/execute_line.h"
#include "support/loopback.h"
#include "support/run_program.h"
#include "support/sim_process.h"

namespace capture {
namespace {

using testing_support::loopbackAddress;

class CaptureMemoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    output_ = open_memstream(&printed_, &size_);
    session::outputStream = output_;
    context_ = session::trackedNew<session::CommandContext>("test", __LINE__);
    context_->session =
        session::trackedNew<session::SessionState>("test", __LINE__);
    run("SET OPTIONS NOCOMMAND_DELAY");
    run("SELECT MANAGER " + loopbackAddress(161) +
        " USERNAME=administrator PASSWORD=admin");
  }
  void TearDown() override {
    session::outputStream = stdout;
    std::fclose(output_);
    std::free(printed_);
    session::releaseAll();
  }

  void run(const std::string& line) {
    std::string copy = line;
    shell::executeLine(*context_, copy.data(), copy.size(), false);
  }

  // Everything printed since the last call.
  std::string printed() {
    std::fflush(output_);
    std::string text(printed_ + consumed_, size_ - consumed_);
    consumed_ = size_;
    return text;
  }

  std::string file(const std::string& name) {
    return scratch_.path() + "/" + name;
  }

  testing_support::ScratchDirectory scratch_;
  session::CommandContext* context_ = nullptr;

 private:
  std::FILE* output_ = nullptr;
  char* printed_ = nullptr;
  std::size_t size_ = 0;
  std::size_t consumed_ = 0;
};

TEST_F(CaptureMemoryTest, ACaptureKeepsOnlyTheObjectListsItRead) {
  testing_support::SimProcess sim(PELK_SIM_BINARY, loopbackAddress(161),
                                  {"--demo"});
  ASSERT_TRUE(sim.listening()) << sim.banner();
  run("SELECT SYSTEM Production");
  // The first capture fills the token lists that later ones replace.
  run("CAPTURE CONFIGURATION " + file("first.txt"));
  std::size_t kept = session::liveBlockCount();
  run("CAPTURE CONFIGURATION " + file("second.txt"));
  EXPECT_EQ(kept, session::liveBlockCount());
  EXPECT_NE(std::string::npos, printed().find("Step2 complete and successful"));

  // With the DR partner's controllers down the capture fails in the
  // middle of a DR group's members.
  run("SELECT SYSTEM \"DR Site\"");
  run("SHUTDOWN \"\\Hardware\\Controller A\" ALL_PEERS");
  run("SELECT SYSTEM Production");
  kept = session::liveBlockCount();
  run("CAPTURE CONFIGURATION " + file("third.txt"));
  EXPECT_NE(std::string::npos, printed().find("Step2 failed"));
  EXPECT_EQ(kept, session::liveBlockCount());
}

}  // namespace
}  // namespace capture
