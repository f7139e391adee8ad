// The secrets of a session: a session file is used only when it is the
// user's own, files that hold secrets are their owner's only, the debug
// log holds no password nor anything that stands for one, and a password
// need not be given on the command line. Also what a broken answer may
// print.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ostream>
#include <regex>
#include <string>

#include "json_lines.h"
#include "request_sim_session.h"
#include "support/loopback.h"
#include "support/other_user.h"

namespace e2e {
namespace {

using testing_support::loopbackAddress;
using testing_support::ProgramOptions;
using testing_support::ProgramRun;
using testing_support::ScratchDirectory;

constexpr char kSessionFile[] = "EMClientAPIPersist.txt";
constexpr char kDebugLog[] = "EMClientAPIDebug.txt";
const std::string kSystems = "\nSystems available on this Manager:\n  Alpha";

struct FileState {
  std::string text;
  unsigned mode;
  uid_t owner;
  bool operator==(const FileState&) const = default;
};

std::ostream& operator<<(std::ostream& out, const FileState& state) {
  return out << "\"" << testing_support::escaped(state.text) << "\" mode "
             << std::oct << state.mode << std::dec << " owner " << state.owner;
}

FileState stateOf(const ScratchDirectory& directory, const std::string& name) {
  struct stat status {};
  lstat((directory.path() + "/" + name).c_str(), &status);
  return FileState{directory.read(name), status.st_mode & 0777u, status.st_uid};
}

ProgramOptions session(const SimSession& sim, const std::string& password,
                       const std::string& directory) {
  ProgramOptions options;
  options.arguments = managerArguments(sim.address(), password);
  options.arguments.push_back("SHOW SYSTEM");
  options.directory = directory;
  return options;
}

// A cookie the login path accepts, from a proper login by this user.
std::string validCookie(const SimSession& sim) {
  ScratchDirectory owner;
  ProgramRun run = testing_support::runProgram(
      PELK_BINARY, session(sim, "secret", owner.path()));
  EXPECT_NE(std::string::npos, run.output.find(kSystems));
  return owner.read(kSessionFile);
}

// With a cookie file someone else left, a wrong password must still be
// refused: the file is neither presented nor changed.
TEST(Secrets, AnotherUsersSessionFileIsNeverPresented) {
  if (!testing_support::canActAsOtherUser()) {
    GTEST_SKIP() << testing_support::kNeedsSuperuser;
  }
  SimSession sim(loopbackAddress(140), kRequestScenario,
                 {"--text-port", "off"});
  REQUIRE_SIM(sim);
  const std::string cookie = validCookie(sim);
  ASSERT_EQ(56u, cookie.size());
  for (bool runByOtherUser : {false, true}) {
    SCOPED_TRACE(runByOtherUser ? "the other user, the superuser's file"
                                : "the superuser, the other user's file");
    ScratchDirectory directory;
    testing_support::openToEveryone(directory.path());
    const std::string file = directory.write(kSessionFile, cookie);
    ASSERT_EQ(0, chmod(file.c_str(), 0644));
    if (!runByOtherUser) {
      ASSERT_TRUE(testing_support::giveToOtherUser(file));
    }
    const FileState before = stateOf(directory, kSessionFile);
    ProgramOptions options = session(sim, "wrong", directory.path());
    ProgramRun run = runByOtherUser
                         ? testing_support::runAsOtherUser(PELK_BINARY, options)
                         : testing_support::runProgram(PELK_BINARY, options);
    EXPECT_EQ(std::string::npos, run.output.find(kSystems));
    EXPECT_NE(std::string::npos,
              run.output.find("EMCLIENTAPI_PERMISSIONDENIED_ERROR"))
        << testing_support::escaped(run.output + run.errors);
    EXPECT_EQ(before, stateOf(directory, kSessionFile));
  }
}

TEST(Secrets, FilesWithSecretsAreMadeTheirOwnersOnly) {
  SimSession sim(loopbackAddress(141), kRequestScenario,
                 {"--text-port", "off"});
  REQUIRE_SIM(sim);
  ScratchDirectory directory;
  // A session file and a log written by an older version, open to all.
  for (const char* name : {kSessionFile, kDebugLog}) {
    ASSERT_EQ(0,
              chmod(directory.write(name, std::string(56, 'S')).c_str(), 0644));
  }
  ProgramOptions options = session(sim, "secret", directory.path());
  options.arguments.insert(options.arguments.end() - 1,
                           "DEBUG INFORMATION TALLOW_FLAGS=1");
  ProgramRun run = testing_support::runProgram(PELK_BINARY, options);
  EXPECT_NE(std::string::npos, run.output.find(kSystems));
  const FileState cookie = stateOf(directory, kSessionFile);
  EXPECT_EQ(0600u, cookie.mode);
  EXPECT_EQ(56u, cookie.text.size());
  EXPECT_NE(std::string(56, 'S'), cookie.text);
  const FileState log = stateOf(directory, kDebugLog);
  EXPECT_EQ(0600u, log.mode);
  EXPECT_TRUE(log.text.starts_with(std::string(56, 'S'))) << log.text;
}

// The message of the entry after the one holding `line`.
std::string entryAfter(const std::string& log, const std::string& line) {
  std::size_t at = log.find(line + "\n");
  if (at == std::string::npos) return "<no " + line + ">";
  // An entry is a time line, an empty line and the message.
  std::size_t message = log.find("\n\n", at + line.size() + 1);
  if (message == std::string::npos) return "<no entry>";
  message += 2;
  return log.substr(message, log.find('\n', message) - message);
}

TEST(Secrets, TheDebugLogOfALoginHoldsNoPasswordNorWhatStandsForIt) {
  // The password, the user:password pair, its digest, and the credential
  // of the Basic authorization in both its forms.
  const char* const secrets[] = {
      "secret", "2D1E4F91DAE49CD08EABA2293E422273",
      "YWRtaW46MkQxRTRGOTFEQUU0OUNEMDhFQUJBMjI5M0U0MjIyNzM=",
      "YWRtaW46c2VjcmV0"};
  struct Case {
    const char* path;
    std::vector<std::string> simArguments;
    std::vector<std::pair<std::string, std::string>> maskedEntries;
  };
  const Case cases[] = {
      {"text transport", {}, {}},
      {"login path",
       {"--text-port", "off"},
       {{" ** Session key found in session key response ->", "********"},
        {" ** Username password pair build for MD5 hashing ->", "********"},
        {" ** MD5 hash for username password pair ->", "********"},
        {" ** Final security string MD5 hashed ->", "********"},
        {" ** Final security cookie obtained from security validation "
         "response ->",
         "********"}}},
  };
  const int addresses[] = {142, 143};
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.path);
    SimSession sim(loopbackAddress(addresses[i]), kRequestScenario,
                   c.simArguments);
    REQUIRE_SIM(sim);
    ScratchDirectory directory;
    ProgramOptions options = session(sim, "secret", directory.path());
    options.arguments.insert(options.arguments.end() - 1,
                             "DEBUG INFORMATION TALLOW_FLAGS=111");
    ProgramRun run = testing_support::runProgram(PELK_BINARY, options);
    EXPECT_NE(std::string::npos, run.output.find(kSystems));
    const std::string log = directory.read(kDebugLog);
    for (const char* secret : secrets) {
      EXPECT_EQ(std::string::npos, log.find(secret)) << secret;
    }
    // The session cookie logs in without the password: neither it nor the
    // session key shows, whether sent, received or kept.
    const std::string cookie = directory.read(kSessionFile);
    if (!cookie.empty()) {
      EXPECT_EQ(std::string::npos, log.find(cookie));
    }
    for (std::size_t at = log.find("Corvane-HMMD="); at != std::string::npos;
         at = log.find("Corvane-HMMD=", at + 1)) {
      EXPECT_EQ("********", log.substr(at + 13, 8))
          << log.substr(at, log.find('\n', at) - at);
    }
    // Everything else is still there.
    EXPECT_NE(std::string::npos, log.find(">********</UserPassword>"));
    EXPECT_NE(std::string::npos, log.find("admin"));
    for (const auto& [line, message] : c.maskedEntries) {
      EXPECT_EQ(message, entryAfter(log, line)) << line;
    }
  }
}

TEST(Secrets, APasswordMayComeFromTheEnvironment) {
  SimSession sim(loopbackAddress(144), kRequestScenario);
  REQUIRE_SIM(sim);
  const std::string select =
      "SELECT MANAGER " + sim.address() + " USERNAME=admin";
  struct Case {
    std::vector<std::string> environment;
    std::string result;
  };
  for (const Case& c :
       {Case{{"PELK_PASSWORD=secret"}, echo("SHOW SYSTEM") + kSystems},
        Case{{},
             "\nError: Password must be specified on SELECT MANAGER" +
                 echo("SHOW SYSTEM") +
                 "\nError: Command not valid until a manager is selected "
                 "(SELECT MANAGER)"}}) {
    SCOPED_TRACE(c.environment.empty() ? "none" : c.environment[0]);
    ScratchDirectory directory;
    ProgramOptions options;
    options.arguments = {"SET OPTIONS NOCOMMAND_DELAY", select, "SHOW SYSTEM"};
    options.environment = c.environment;
    options.directory = directory.path();
    ProgramRun run = testing_support::runProgram(PELK_BINARY, options);
    const std::string start =
        kBanner + echo("SET OPTIONS NOCOMMAND_DELAY") + echo(select) + c.result;
    EXPECT_OUTPUT(start, run.output.substr(0, start.size()));
  }
}

// A job's output may be read by others: the lines it writes back never
// hold a password, however the line failed, and the caret stands under the
// line as written.
TEST(Secrets, APasswordNeverReachesTheOutputOfAJob) {
  const std::string select = "SELECT MANAGER h USERNAME=u PASSWORD=s3cret";
  const std::string masked = "SELECT MANAGER h USERNAME=u PASSWORD=********";
  ScratchDirectory directory;
  const std::string script = directory.write("job.pelk", select + "\n");
  const std::string tooLong =
      "SELECT MANAGER h PASS=s3cret " + std::string(3000, 'x');
  ProgramRun run = e2e::runArguments(
      {"--json"}, "SET OPTIONS NOCOMMAND_DELAY\n" + select +
                      " extra\nSELCT MANAGER h pass=s3cret\nFILE " + script +
                      "\n" + tooLong + "\n");
  std::vector<Json> lines = jsonLines(run.output);
  ASSERT_EQ(6u, lines.size()) << run.output;
  EXPECT_EQ(masked + " extra", lines[1]["command"]);
  EXPECT_EQ("Error: Syntax error at or near here", lines[1]["error"]);
  EXPECT_EQ(masked.size() + 2, lines[1]["column"]);
  EXPECT_EQ("SELCT MANAGER h pass=********", lines[2]["command"]);
  EXPECT_EQ(1, lines[2]["column"]);
  EXPECT_EQ(Json::parse(R"({"command": ")" + masked + R"(", "ok": true})"),
            lines[3]);
  EXPECT_EQ("SELECT MANAGER h PASS=******** " + std::string(2048 - 29, 'x'),
            lines[5]["command"]);
  EXPECT_EQ(std::string::npos, run.output.find("s3cret"));
  EXPECT_EQ(std::string::npos, run.errors.find("s3cret"));

  run = e2e::runArguments({"--quiet", select + " extra"});
  EXPECT_OUTPUT(masked + " extra\n" + std::string(masked.size() + 1, ' ') +
                    "^\nError: Syntax error at or near here\n",
                run.errors);

  // A regression reference keeps the password it needs to replay the
  // line; the replay's echo in a job's log does not show it.
  e2e::runArguments({"--quiet", "REGRESSION CAPTURE ref.txt", select,
                     "REGRESSION CAPTURE EXIT"},
                    "", directory.path());
  EXPECT_NE(std::string::npos, directory.read("ref.txt").find(select));
  run = e2e::runArguments({"--quiet", "REGRESSION TEST ref.txt"}, "",
                          directory.path());
  EXPECT_NE(std::string::npos, run.output.find("> " + masked + "\n"));
  EXPECT_EQ(std::string::npos, run.output.find("s3cret"));

  // Nor does the report of a difference in a script's section, which shows
  // the echo of the script's lines.
  e2e::runArguments({"--quiet", "REGRESSION CAPTURE file.txt", "FILE " + script,
                     "REGRESSION CAPTURE EXIT"},
                    "", directory.path());
  std::string reference = directory.read("file.txt");
  std::size_t echoed = reference.find("> " + select + "\n");
  ASSERT_NE(std::string::npos, echoed) << reference;
  reference.insert(echoed + select.size() + 3, "not printed now\n");
  directory.write("file.txt", reference);
  run = e2e::runArguments({"--quiet", "REGRESSION TEST file.txt"}, "",
                          directory.path());
  EXPECT_NE(std::string::npos, run.output.find(" * not printed now\n"))
      << run.output;
  EXPECT_NE(std::string::npos, run.output.find("> " + masked + "\n"));
  EXPECT_EQ(std::string::npos, run.output.find("s3cret"));
}

// Tens of megabytes of a broken answer would bury the screen: its first
// 64 KiB are shown, then how much more there was.
TEST(Secrets, AnAnswerThatCannotBeUnderstoodIsShownInPart) {
  SimSession sim(loopbackAddress(145), kRequestScenario,
                 {"--fault", "deep:1:20000"});
  REQUIRE_SIM(sim);
  ScratchDirectory directory;
  ProgramRun run = testing_support::runProgram(
      PELK_BINARY, session(sim, "secret", directory.path()));
  const std::string error =
      "\nError: Response nested too deeply starting here->\n";
  std::size_t rest = run.output.find(error);
  ASSERT_NE(std::string::npos, rest) << run.output.substr(0, 2000);
  rest += error.size();
  std::size_t more = run.output.find("\n... (", rest);
  ASSERT_NE(std::string::npos, more);
  EXPECT_EQ(65536u, more - rest);
  EXPECT_TRUE(std::regex_search(
      run.output.substr(more),
      std::regex(R"(^\n\.\.\. \([1-9][0-9]* more bytes not shown\)$)")))
      << testing_support::escaped(run.output.substr(more));
}

}  // namespace
}  // namespace e2e
