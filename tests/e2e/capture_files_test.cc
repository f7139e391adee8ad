// The files of a capture: step files that exist already are overwritten
// only when the user says so, whoever runs the command, and a step file
// that cannot be written whole is never left behind.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "capture_support.h"
#include "pelk_runner.h"
#include "sim_server.h"

namespace e2e {
namespace {

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
  ScenarioSim sim("127.0.0.66", scenario("Keep", "5000-1FE1-5000-0067"));
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
  ScenarioSim sim("127.0.0.67", scenario("Full", "5000-1FE1-5000-0068"));
  ASSERT_TRUE(sim.server().listening());
  testing_support::ProgramRun run = runArgumentsOnFullDisk(
      {"SET OPTIONS NOCOMMAND_DELAY",
       "SELECT MANAGER 127.0.0.67 USERNAME=administrator PASSWORD=admin",
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

}  // namespace
}  // namespace e2e
