// The program itself: help, the listening line, a clean stop on SIGTERM
// with the state saved, and refusals of bad command lines.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "sim/demo_scenario.h"
#include "sim/scenario.h"
#include "sim_client.h"

namespace {

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

Child Spawn(std::vector<std::string> args) {
  Child child;
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return child;
  pid_t pid = fork();
  if (pid == 0) {
    dup2(pipeFds[1], 1);
    close(pipeFds[0]);
    close(pipeFds[1]);
    std::vector<char*> argv{const_cast<char*>(PELK_SIM_BINARY)};
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    execv(PELK_SIM_BINARY, argv.data());
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

// The exit status once the child ends on its own.
int Wait(Child&& child) {
  Child ended = std::move(child);
  int status = 0;
  waitpid(ended.pid, &status, 0);
  ended.pid = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

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
        {"--scenario", "/nonexistent.json"}}) {
    EXPECT_EQ(Wait(Spawn(args)), 2) << args[0];
  }
  EXPECT_EQ(Wait(Spawn({"--address", "192.0.2.1"})), 1);
}

// SIGHUP, as when its terminal closes, stops it like SIGTERM.
TEST(Process, ListensThenStopsCleanlyAndSavesTheState) {
  for (int signal : {SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal);
    std::string saved = ::testing::TempDir() + "pelk_sim_saved.json";
    std::string log = ::testing::TempDir() + "pelk_sim_requests.log";
    std::remove(saved.c_str());
    std::remove(log.c_str());
    Child child = Spawn(
        {"--demo", "--address", "127.0.4.30", "--save", saved, "--log", log});
    ASSERT_EQ(
        Line(child.out),
        "pelk-sim listening on 127.0.4.30 text-port 12301 elm-port 2301\n");
    simtest::Connection connection("127.0.4.30", 12301);
    connection.Send(simtest::TextTransportRequest(
        "127.0.4.30",
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
    std::ifstream logIn(log);
    std::stringstream logged;
    logged << logIn.rdbuf();
    EXPECT_NE(logged.str().find("Create StorageClient -> ok"),
              std::string::npos);
  }
}

TEST(Process, ASecondServerOnTheSameAddressFails) {
  Child first = Spawn({"--address", "127.0.4.31", "--elm-port", "off"});
  ASSERT_EQ(Line(first.out),
            "pelk-sim listening on 127.0.4.31 text-port 12301 elm-port off\n");
  EXPECT_EQ(Wait(Spawn({"--address", "127.0.4.31", "--elm-port", "off"})), 1);
  kill(first.pid, SIGINT);
  EXPECT_EQ(Wait(std::move(first)), 0);
}

}  // namespace
