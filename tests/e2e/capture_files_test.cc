// The files of a capture: step files that exist already are overwritten
// only when the user says so, whoever runs the command, a step file that
// cannot be written whole is never left behind, and the names hold the
// step files of one capture: a new set replaces the earlier one only whole.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "capture_support.h"
#include "json_lines.h"
#include "pelk_runner.h"
#include "sim_server.h"
#include "support/loopback.h"

namespace e2e {
namespace {

using testing_support::loopbackAddress;

// A system with little configuration beyond a renamed controller, whose
// note makes Step1A longer than one 512-byte block.
std::string scenario(const std::string& name, const std::string& wwn) {
  return "{" + kScenarioManager + R"(, "systems": [{"name": ")" + name +
         R"(", "wwn": ")" + wwn + R"(",
    "disk_shelves": [{"count": 8, "type": "Online", "capacity_gb": 146}],
    "disk_groups": [{"name": "\\Disk Groups\\Default Disk Group",
                     "disks": 8, "spare_policy": "None",
                     "disk_type": "Online", "occupancy_alarm": 95}],
    "controllers": [{"name": "\\Hardware\\Left", "state": "good"},
                    {"name": "\\Hardware\\Right", "state": "good"}]}]})";
}

void writeFile(const std::string& path, const std::string& text) {
  std::ofstream(path) << text;
}

const std::string kOverwriteQuestion =
    "\nThe following file(s) already exist:\n   keep_Step1A.txt\n"
    "   keep_Step2.txt\n\nThe above file(s) will be overwritten if you "
    "continue\n\nAre you sure you wish to execute this command?\nIf so, "
    "type \"Yes\" (Note: case sensititve) ";

TEST(CaptureFiles, ExistingStepFilesAreOverwrittenOnlyWhenConfirmed) {
  ScenarioSim sim(loopbackAddress(66), scenario("Keep", "5000-1FE1-5000-0067"));
  ASSERT_TRUE(sim.server().listening());
  writeFile(sim.file("keep_Step1A.txt"), "old\n");
  writeFile(sim.file("keep_Step2.txt"), "old\n");
  const std::string capture = "CAPTURE CONFIGURATION keep.txt";

  // From the program arguments: refused, and nothing is touched.
  SessionRun run =
      runAgainst(sim.server(), {"SELECT SYSTEM Keep", capture}, "yes\n");
  EXPECT_OUTPUT(echo("SELECT SYSTEM Keep") + echo(capture, "Keep") +
                    kOverwriteQuestion + "\nCommand aborted\n",
                run.output);
  EXPECT_EQ("old\n", fileText(sim.file("keep_Step1A.txt")));
  EXPECT_EQ("old\n", fileText(sim.file("keep_Step2.txt")));

  // From a script the question is asked as well; confirmed, the capture
  // runs and the unnecessary Step2 leaves no file.
  writeFile(sim.file("capture.pelk"), "SELECT SYSTEM Keep\n" + capture + "\n");
  run = runAgainst(sim.server(), {"FILE capture.pelk"}, "Yes\n");
  std::string expectedStart = echo("FILE capture.pelk") +
                              echo("SELECT SYSTEM Keep") +
                              echo(capture, "Keep") + kOverwriteQuestion +
                              "\n    CAPTURE CONFIGURATION may take awhile.";
  EXPECT_OUTPUT(expectedStart, run.output.substr(0, expectedStart.size()));
  EXPECT_NE(std::string::npos,
            run.output.find("Step1A complete and successful\n"));
  EXPECT_TRUE(fileText(sim.file("keep_Step1A.txt")).starts_with("! \n"));
  EXPECT_EQ("<missing>", fileText(sim.file("keep_Step2.txt")));
}

TEST(CaptureFiles, AStepFileThatCannotBeWrittenWholeIsDeleted) {
  ScenarioSim sim(loopbackAddress(67), scenario("Full", "5000-1FE1-5000-0068"));
  ASSERT_TRUE(sim.server().listening());
  testing_support::ProgramRun run = runArgumentsOnFullDisk(
      {"SET OPTIONS NOCOMMAND_DELAY",
       "SELECT MANAGER " + loopbackAddress(67) +
           " USERNAME=administrator PASSWORD=admin",
       "SELECT SYSTEM Full", "CAPTURE CONFIGURATION full.txt"},
      sim.server().directory());
  const std::string expectedEnd =
      "\nGenerating file full_Step1A.txt\n....\n"
      "Error: Cannot write ouput file.  Error detected:\n       File too "
      "large\n    CAPTURE CONFIGURATION Step1A failed";
  ASSERT_GE(run.output.size(), expectedEnd.size());
  EXPECT_OUTPUT(expectedEnd,
                run.output.substr(run.output.size() - expectedEnd.size()));
  EXPECT_EQ(0, run.exitStatus);
  EXPECT_EQ("<missing>", fileText(sim.file("full_Step1A.txt")));
}

// A link with nothing behind it has the name all the same.
TEST(CaptureFiles, ADanglingLinkIsListedAsAnExistingStepFile) {
  ScenarioSim sim(loopbackAddress(147),
                  scenario("Keep", "5000-1FE1-5000-0069"));
  ASSERT_TRUE(sim.server().listening());
  ASSERT_EQ(0, symlink("elsewhere.txt", sim.file("keep_Step1A.txt").c_str()));
  const std::string capture = "CAPTURE CONFIGURATION keep.txt";
  SessionRun run = runAgainst(sim.server(), {"SELECT SYSTEM Keep", capture});
  EXPECT_OUTPUT(echo("SELECT SYSTEM Keep") + echo(capture, "Keep") +
                    "\nThe following file(s) already exist:\n"
                    "   keep_Step1A.txt\n\nThe above file(s) will be "
                    "overwritten if you continue\n\nAre you sure you wish to "
                    "execute this command?\nIf so, type \"Yes\" (Note: case "
                    "sensititve) \nCommand aborted\n",
                run.output);
  EXPECT_EQ("<missing>", fileText(sim.file("elsewhere.txt")));
}

const char* const kSteps[] = {"Step1A", "Step1B", "Step1C", "Step2", "Step3"};

// A capture takes the place of an earlier one only whole: one that fails
// in a later step, or that a signal ends, leaves every earlier step file
// exactly as it was.
TEST(CaptureFiles, AFailedOrEndedCaptureLeavesTheEarlierSetAsItWas) {
  const struct {
    const char* name;
    bool signalled;  // else Step1B fails: a directory holds its name
  } cases[] = {{"failed in Step1B", false}, {"ended by a signal", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> simArguments = {"--demo", "--log-properties"};
    if (c.signalled) {
      // Slow answers keep the capture at work when the signal comes.
      simArguments.insert(simArguments.end(), {"--fault", "delay:*:50"});
    }
    SimServer server(loopbackAddress(148), simArguments);
    ASSERT_TRUE(server.listening());
    const std::string directory = server.directory();
    for (const char* step : kSteps) {
      std::string name = directory + "/keep_" + step + ".txt";
      if (!c.signalled && std::string(step) == "Step1B") {
        std::filesystem::create_directory(name);
      } else {
        writeFile(name, "old\n");
      }
    }
    testing_support::ProgramOptions options;
    options.arguments = {"SET OPTIONS NOCOMMAND_DELAY",
                         "SELECT MANAGER " + server.address() +
                             " USERNAME=administrator PASSWORD=admin",
                         "SELECT SYSTEM Production",
                         "CAPTURE CONFIGURATION keep.txt"};
    options.input = "Yes\n";
    options.directory = directory;
    // Past Step1A's two dozen requests, about two thirds of the capture.
    std::size_t served = 0;
    if (c.signalled) {
      options.signal = SIGTERM;
      options.signalWhen = [&server, &served] {
        served += server.takeOperations(true).size();
        return served >= 28;
      };
    }
    testing_support::ProgramRun run =
        testing_support::runProgram(PELK_BINARY, options);
    EXPECT_EQ(std::string::npos, run.output.find("Step3 complete"));
    EXPECT_EQ(std::string::npos, run.output.find("were removed"));
    if (!c.signalled) {
      EXPECT_NE(std::string::npos,
                run.output.find("\nGenerating file keep_Step1B.txt\nError: "
                                "Open of keep_Step1B.txt failed, Is a "
                                "directory\n    CAPTURE CONFIGURATION Step1B "
                                "failed"))
          << testing_support::escaped(run.output);
    }
    for (const char* step : kSteps) {
      SCOPED_TRACE(step);
      if (!c.signalled && std::string(step) == "Step1B") continue;
      EXPECT_EQ("old\n", fileText(directory + "/keep_" + step + ".txt"));
    }
    // Nor a temporary file of any step.
    std::size_t entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
      entries += entry.path().filename().string().starts_with("keep_");
    }
    EXPECT_EQ(std::size(kSteps), entries);
  }
}

// A capture that succeeds replaces the earlier set whole: an earlier step
// this capture found unnecessary goes, and the job reads which.
TEST(CaptureFiles, ACaptureNamesTheEarlierFilesItRemoved) {
  SimServer server(loopbackAddress(149));
  ASSERT_TRUE(server.listening());
  for (const char* step : kSteps) {
    writeFile(server.directory() + "/keep_" + step + ".txt", "old\n");
  }
  auto run = runArguments(
      {"--json", "--yes",
       "SELECT MANAGER " + server.address() +
           " USERNAME=administrator PASSWORD=admin",
       "SELECT SYSTEM Production", "CAPTURE CONFIGURATION keep.txt"},
      "", server.directory());
  std::vector<Json> lines = jsonLines(run.output);
  ASSERT_EQ(3u, lines.size()) << run.output;
  EXPECT_EQ(Json::parse(R"(["keep_Step1A.txt", "keep_Step1B.txt",
                            "keep_Step1C.txt", "keep_Step2.txt"])"),
            lines[2]["files"]);
  EXPECT_EQ(Json::parse(R"(["keep_Step3.txt"])"), lines[2]["removed"]);
  EXPECT_EQ("<missing>", fileText(server.directory() + "/keep_Step3.txt"));
  EXPECT_TRUE(fileText(server.directory() + "/keep_Step2.txt")
                  .starts_with("! \n! PELK CAPTURE script checksum start\n"));
}

}  // namespace
}  // namespace e2e
