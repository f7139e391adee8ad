// Interruptions: what each signal asks for, and every kind of wait ending
// when one arrives during it or was recorded before it began.
#include "platform/interruption.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/clock.h"
#include "platform/console.h"
#include "platform/sockets.h"

namespace platform {
namespace {

using std::chrono::seconds;
using std::chrono::steady_clock;

class Interruptions : public ::testing::Test {
 protected:
  void SetUp() override {
    catchInterruptions(false);
    clearInterruption();
  }
  void TearDown() override { clearInterruption(); }
};

// Sends `signal` to the process a moment from now, from a thread that
// blocks it, so the waiting test thread is the one that receives it.
std::thread signalSoon(int signal) {
  return std::thread([signal] {
    sigset_t all;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    kill(getpid(), signal);
  });
}

TEST_F(Interruptions, EachSignalAsksToStopTheCommandOrToEndTheSession) {
  const struct {
    bool sigintStopsCommand;
    std::vector<int> signals;
    Interruption asked;
    int ending;
  } cases[] = {
      {true, {SIGINT}, Interruption::kStopCommand, 0},
      {false, {SIGINT}, Interruption::kEndSession, SIGINT},
      {true, {SIGTERM}, Interruption::kEndSession, SIGTERM},
      {true, {SIGHUP}, Interruption::kEndSession, SIGHUP},
      // Ending the session outweighs a Ctrl-C before or after it.
      {true, {SIGINT, SIGTERM, SIGINT}, Interruption::kEndSession, SIGTERM},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.signals.back());
    catchInterruptions(c.sigintStopsCommand);
    clearInterruption();
    EXPECT_FALSE(interrupted());
    for (int signal : c.signals) raise(signal);
    EXPECT_EQ(c.asked, interruption());
    EXPECT_EQ(c.ending, endingSignal());
    EXPECT_TRUE(interrupted());
  }
}

// Ctrl-\ and Ctrl-Z at a prompt that hides what is typed are Ctrl-C
// there, and only there.
TEST_F(Interruptions, QuitKeysCountAsCtrlCOnlyWhileAsked) {
  for (bool sigintStopsCommand : {true, false}) {
    for (int signal : {SIGQUIT, SIGTSTP}) {
      SCOPED_TRACE(signal);
      catchInterruptions(sigintStopsCommand);
      clearInterruption();
      struct sigaction before {};
      sigaction(signal, nullptr, &before);
      {
        QuitKeysInterrupt quitKeys;
        raise(signal);
      }
      EXPECT_EQ(sigintStopsCommand ? Interruption::kStopCommand
                                   : Interruption::kEndSession,
                interruption());
      EXPECT_EQ(sigintStopsCommand ? 0 : SIGINT, endingSignal());
      struct sigaction after {};
      sigaction(signal, nullptr, &after);
      EXPECT_EQ(before.sa_handler, after.sa_handler);
    }
  }
}

// A wait that no signal ended would last a minute: that it ends at all
// within the bound shows the signal ended it.
TEST_F(Interruptions, ASignalEndsPausesAndSocketWaits) {
  int sockets[2];
  ASSERT_EQ(0, socketpair(AF_UNIX, SOCK_STREAM, 0, sockets));
  const struct {
    const char* wait;
    void (*run)(int descriptor);
  } cases[] = {
      {"pause", [](int) { pause(60000); }},
      {"readable", [](int descriptor) { waitReadable(descriptor, 60000); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.wait);
    clearInterruption();
    std::thread sender = signalSoon(SIGTERM);
    auto started = steady_clock::now();
    c.run(sockets[0]);
    EXPECT_LT(steady_clock::now() - started, seconds(10));
    EXPECT_EQ(SIGTERM, endingSignal());
    sender.join();

    // Recorded before the wait began: it does not begin at all.
    started = steady_clock::now();
    c.run(sockets[0]);
    EXPECT_LT(steady_clock::now() - started, seconds(10));
  }
  close(sockets[0]);
  close(sockets[1]);
}

TEST_F(Interruptions, AConsoleReadEndsAndTheStreamReadsOnAfterwards) {
  catchInterruptions(true);
  int pipeEnds[2];
  ASSERT_EQ(0, pipe(pipeEnds));
  std::FILE* stream = fdopen(pipeEnds[0], "r");
  LineBuffer line;
  std::thread sender = signalSoon(SIGINT);
  EXPECT_EQ(LineStatus::kInterrupted, readLine(stream, line));
  sender.join();
  EXPECT_EQ(Interruption::kStopCommand, interruption());

  clearInterruption();
  ASSERT_EQ(5, write(pipeEnds[1], "SHOW\n", 5));
  EXPECT_EQ(LineStatus::kOk, readLine(stream, line));
  EXPECT_STREQ("SHOW", line.text);
  std::fclose(stream);
  close(pipeEnds[1]);
}

}  // namespace
}  // namespace platform
