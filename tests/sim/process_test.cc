// The program itself: help, the listening line, a clean stop on SIGTERM
// with the state saved whole or not at all, and refusals of bad command
// lines and of save files it may not write.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include "sim/demo_scenario.h"
#include "sim/scenario.h"
#include "sim_client.h"
#include "support/loopback.h"
#include "support/other_user.h"

namespace {

using testing_support::loopbackAddress;

// A pelk-sim process; one still running when its test ends is killed, so a
// failed test leaves no server behind.
struct Child {
  pid_t pid = -1;
  std::FILE* out = nullptr;  // the child's standard output

  Child() = default;
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  Child(Child&& other) noexcept : pid(other.pid), out(other.out) {
    other.pid = -1;
    other.out = nullptr;
  }
  ~Child() {
    if (pid > 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
    if (out != nullptr) std::fclose(out);
  }
};

// Runs pelk-sim, or `program` when one is given.
Child Spawn(std::vector<std::string> args,
            const char* program = PELK_SIM_BINARY) {
  Child child;
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return child;
  pid_t pid = fork();
  if (pid == 0) {
    dup2(pipeFds[1], 1);
    close(pipeFds[0]);
    close(pipeFds[1]);
    std::vector<char*> argv{const_cast<char*>(program)};
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    execv(program, argv.data());
    _exit(127);
  }
  close(pipeFds[1]);
  child.pid = pid;
  child.out = fdopen(pipeFds[0], "r");
  return child;
}

std::string Line(std::FILE* in) {
  char buffer[512];
  return std::fgets(buffer, sizeof buffer, in) != nullptr ? buffer : "";
}

// The exit status once the child ends on its own; -2 when it has not
// ended within 20 seconds (it is then killed).
int Wait(Child&& child) {
  Child ended = std::move(child);
  int status = 0;
  for (int waited = 0; waitpid(ended.pid, &status, WNOHANG) == 0; ++waited) {
    if (waited == 2000) return -2;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ended.pid = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string FileText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

// A directory of the test's own, removed with what it holds.
struct Directory {
  std::string path;
  Directory() {
    std::string pattern = ::testing::TempDir() + "pelk_sim_save_XXXXXX";
    path = mkdtemp(pattern.data()) != nullptr ? pattern : "";
  }
  ~Directory() { std::filesystem::remove_all(path); }
  size_t Entries() const {
    return static_cast<size_t>(
        std::distance(std::filesystem::directory_iterator(path),
                      std::filesystem::directory_iterator()));
  }
};

TEST(Process, HelpDescribesOptionsAndFaults) {
  Child child = Spawn({"--help"});
  std::string text;
  for (std::string line = Line(child.out); !line.empty();
       line = Line(child.out)) {
    text += line;
  }
  EXPECT_EQ(Wait(std::move(child)), 0);
  EXPECT_EQ(text.rfind("Usage: pelk-sim [options]\n", 0), 0u);
  for (const char* word :
       {"--address", "--text-port", "--elm-port", "--scenario", "--demo",
        "--save", "--log", "--fault", "busy", "no-session-key", "/sim/fault"}) {
    EXPECT_NE(text.find(word), std::string::npos) << word;
  }
  // Every login of the empty manager and of the demo, as they stand.
  std::replace(text.begin(), text.end(), '\n', ' ');
  sim::Model demo;
  std::string error;
  ASSERT_TRUE(sim::LoadScenario(sim::kDemoScenario, demo, error)) << error;
  for (const sim::Model& model : {sim::EmptyModel(), demo}) {
    for (const sim::User& user : model.users) {
      std::string login = user.name + " with the password " + user.password;
      EXPECT_NE(text.find(login), std::string::npos) << login;
    }
  }
}

TEST(Process, RefusesBadCommandLines) {
  for (std::vector<std::string> args :
       {std::vector<std::string>{"--bogus"},
        {"--text-port", "x"},
        {"--fault", "nap"},
        {"--text-port", "off", "--elm-port", "off"},
        {"--scenario", "/nonexistent.json"},
        // Read up to a bound, not for ever.
        {"--scenario", "/dev/zero"},
        // Known at the start, not after a whole rehearsal.
        {"--save", "/nonexistent/state.json"},
        {"--save", ::testing::TempDir()},
        // TLS wants the certificate and its key together.
        {"--tls-cert", "server.pem"},
        {"--tls-client-ca", "ca.pem"}}) {
    EXPECT_EQ(Wait(Spawn(args)), 2) << args[0];
  }
  for (std::vector<std::string> args :
       {std::vector<std::string>{"--address", "192.0.2.1"},
        {"--address", "fd00::5"},
        {"--address", loopbackAddress(32), "--tls-cert", "/nonexistent.pem",
         "--tls-key", "/nonexistent.key"}}) {
    EXPECT_EQ(Wait(Spawn(args)), 1) << args[1];
  }
}

// SIGHUP, as when its terminal closes, stops it like SIGTERM.
TEST(Process, ListensThenStopsCleanlyAndSavesTheState) {
  for (int signal : {SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal);
    Directory directory;
    std::string saved = directory.path + "/saved.json";
    std::string log = directory.path + "/requests.log";
    Child child = Spawn({"--demo", "--address", loopbackAddress(30), "--save",
                         saved, "--log", log});
    ASSERT_EQ(Line(child.out), "pelk-sim listening on " + loopbackAddress(30) +
                                   " text-port 12301 elm-port 2301\n");
    simtest::Connection connection(loopbackAddress(30), 12301);
    connection.Send(simtest::TextTransportRequest(
        loopbackAddress(30),
        simtest::V1Envelope(
            "Create", "StorageClient",
            {{"ElementID", simtest::kProduction}, {"Name", "saved-host"}}),
        "administrator", "admin"));
    ASSERT_NE(connection.ReadAnswer().find("SuccessMsg"), std::string::npos);
    kill(child.pid, signal);
    EXPECT_EQ(Wait(std::move(child)), 0);
    std::ifstream in(saved);
    std::stringstream content;
    content << in.rdbuf();
    EXPECT_NE(content.str().find("\\\\Hosts\\\\saved-host"), std::string::npos);
    // It holds the passwords.
    struct stat status {};
    ASSERT_EQ(0, stat(saved.c_str(), &status));
    EXPECT_EQ(0600u, status.st_mode & 0777u);
    std::ifstream logIn(log);
    std::stringstream logged;
    logged << logIn.rdbuf();
    EXPECT_NE(logged.str().find("Create StorageClient -> ok"),
              std::string::npos);
  }
}

// A full disk, shown by a file size limit whose signal is ignored, makes
// the save fail: the state saved before stays whole.
TEST(Process, ASaveThatFailsKeepsTheOldState) {
  Directory directory;
  std::string saved = directory.path + "/state.json";
  std::ofstream(saved) << "old state\n";
  Child child =
      Spawn({"-c", "trap '' XFSZ; exec prlimit --fsize=1024 -- \"$0\" \"$@\"",
             PELK_SIM_BINARY, "--demo", "--address", loopbackAddress(40),
             "--save", saved},
            "/bin/sh");
  ASSERT_EQ(Line(child.out), "pelk-sim listening on " + loopbackAddress(40) +
                                 " text-port 12301 elm-port 2301\n");
  kill(child.pid, SIGTERM);
  EXPECT_EQ(Wait(std::move(child)), 1);
  EXPECT_EQ("old state\n", FileText(saved));
  EXPECT_EQ(1u, directory.Entries());
}

// Found at start: the simulator neither starts nor waits for a reader.
TEST(Process, AnotherUsersLinkOrPipeAsTheSaveOrLogFileIsRefused) {
  if (!testing_support::canActAsOtherUser()) {
    GTEST_SKIP() << testing_support::kNeedsSuperuser;
  }
  for (const char* option : {"--save", "--log"}) {
    for (bool pipe : {false, true}) {
      SCOPED_TRACE(std::string(option) + (pipe ? " pipe" : " link"));
      Directory directory;
      std::string victim = directory.path + "/victim.json";
      std::ofstream(victim) << "precious\n";
      std::string planted = directory.path + "/state.json";
      ASSERT_EQ(0, pipe ? mkfifo(planted.c_str(), 0666)
                        : symlink("victim.json", planted.c_str()));
      ASSERT_TRUE(testing_support::giveToOtherUser(planted));
      EXPECT_EQ(Wait(Spawn({"--demo", "--address", loopbackAddress(41), option,
                            planted})),
                2);
      EXPECT_EQ("precious\n", FileText(victim));
    }
  }
}

// The user's own pipe with nobody reading: the save fails at stop instead
// of waiting for ever.
TEST(Process, ASaveIntoAPipeNobodyReadsDoesNotHang) {
  Directory directory;
  std::string pipe = directory.path + "/state.json";
  ASSERT_EQ(0, mkfifo(pipe.c_str(), 0600));
  Child child =
      Spawn({"--demo", "--address", loopbackAddress(42), "--save", pipe});
  ASSERT_EQ(Line(child.out), "pelk-sim listening on " + loopbackAddress(42) +
                                 " text-port 12301 elm-port 2301\n");
  kill(child.pid, SIGTERM);
  EXPECT_EQ(Wait(std::move(child)), 1);
}

TEST(Process, ASecondServerOnTheSameAddressFails) {
  Child first = Spawn({"--address", loopbackAddress(31), "--elm-port", "off"});
  ASSERT_EQ(Line(first.out), "pelk-sim listening on " + loopbackAddress(31) +
                                 " text-port 12301 elm-port off\n");
  EXPECT_EQ(
      Wait(Spawn({"--address", loopbackAddress(31), "--elm-port", "off"})), 1);
  kill(first.pid, SIGINT);
  EXPECT_EQ(Wait(std::move(first)), 0);
}

}  // namespace
