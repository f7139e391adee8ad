// The files of a capture: step files that exist already are overwritten
// only when the user says so, whoever runs the command, a step file that
// cannot be written whole is never left behind, and the names never hold
// step files of two captures.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "capture_support.h"
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

// Runs a confirmed capture over an earlier one, in the background, and once
// the new Step1A has its name either ends the session with SIGTERM or
// makes the manager fail every later request. What the session printed.
const char kInterruptedCapture[] = R"(
"$0" "FILE capture.pelk" < answers.txt > session.txt 2>&1 &
pelk=$!
for i in $(seq 400); do
  grep -q "checksum end" keep_Step1A.txt 2>/dev/null && break
  sleep 0.05
done
if [ "$1" = kill ]; then
  kill -TERM $pelk
else
  exec 3<>"/dev/tcp/$2/12301"
  printf 'POST /sim/fault HTTP/1.1\r\nHost: %s\r\nContent-Length: 9\r\n\r\ngarbage:*' "$2" >&3
  read -r status <&3
  exec 3<&-
fi
wait $pelk
cat session.txt
)";

TEST(CaptureFiles, AnInterruptedOrFailedCaptureLeavesStepFilesOfOneCapture) {
  const char* const steps[] = {"Step1A", "Step1B", "Step1C", "Step2", "Step3"};
  for (const char* ending : {"kill", "fail"}) {
    SCOPED_TRACE(ending);
    // Slow answers keep the capture in its later steps long enough.
    ScenarioSim sim(loopbackAddress(148),
                    scenario("Keep", "5000-1FE1-5000-0070"),
                    {"--fault", "delay:*:150"});
    ASSERT_TRUE(sim.server().listening());
    for (const char* step : steps) {
      writeFile(sim.file(std::string("keep_") + step + ".txt"), "old\n");
    }
    writeFile(sim.file("capture.pelk"),
              "SET OPTIONS NOCOMMAND_DELAY NORETRIES\nSELECT MANAGER " +
                  loopbackAddress(148) +
                  " "
                  "USERNAME=administrator PASSWORD=admin\nSELECT SYSTEM Keep\n"
                  "CAPTURE CONFIGURATION keep.txt\n");
    writeFile(sim.file("answers.txt"), "Yes\n");
    testing_support::ProgramOptions options;
    options.arguments = {"-c", kInterruptedCapture, PELK_BINARY, ending,
                         loopbackAddress(148)};
    options.directory = sim.server().directory();
    testing_support::ProgramRun run =
        testing_support::runProgram("/bin/bash", options);

    // The new Step1A, whole; no step of the earlier capture beside it, and
    // nothing empty or cut short under a step's name.
    for (const char* step : steps) {
      SCOPED_TRACE(step);
      std::string text =
          fileText(sim.file(std::string("keep_") + step + ".txt"));
      if (std::string(step) == "Step1A" || text != "<missing>") {
        EXPECT_TRUE(
            text.starts_with("! \n! PELK CAPTURE script checksum "
                             "start\n"));
        EXPECT_NE(std::string::npos,
                  text.find("\n! \n! PELK CAPTURE script checksum end: "));
      }
    }
    // Nor a temporary file of the step that was being written.
    for (const auto& entry :
         std::filesystem::directory_iterator(sim.server().directory())) {
      std::string name = entry.path().filename().string();
      EXPECT_FALSE(name.starts_with("keep_") &&
                   name.find(".txt.") != std::string::npos)
          << name;
    }
    // It did end in the middle.
    EXPECT_EQ(std::string::npos, run.output.find("Step3 complete"));
    if (std::string(ending) == "fail") {
      EXPECT_NE(std::string::npos,
                run.output.find(
                    " failed\nThe following file(s) of an earlier capture were "
                    "removed:\n   keep_Step1B.txt\n   keep_Step1C.txt\n"
                    "   keep_Step2.txt\n   keep_Step3.txt"))
          << testing_support::escaped(run.output);
    }
  }
}

}  // namespace
}  // namespace e2e
