// CAPTURE CONFIGURATION against pelk-sim, one small system per rule of the
// writers: the default disk group, the group chosen in its place, folders
// by depth, hosts with several adapters, active virtual disks only, steps
// that turn out unnecessary, and the output with and without files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture_support.h"
#include "pelk_runner.h"
#include "sim_server.h"

namespace e2e {
namespace {

using Lines = std::vector<std::string>;

const std::string kMayTakeAwhile =
    "\n    CAPTURE CONFIGURATION may take awhile.  Do not modify "
    "configuration\n    until command is complete.\n\n";

std::string header(const std::string& step, const std::string& address,
                   const std::string& system) {
  return "! \n! CAPTURE CONFIGURATION " + step +
         " on TIME\n! \n! Manager: " + address + ":12301\n! System: " + system +
         "\n! \n! PELK Build 7 for HALVO Version 3.2\n! \n";
}

std::string complete(const std::string& step) {
  return "\n    CAPTURE CONFIGURATION " + step + " complete and successful";
}

std::string unnecessary(const std::string& step) {
  return complete(step) +
         ", but it was\n    determined that it was unnecessary.  File not "
         "generated.";
}

// One system holding nothing but its default disk group, with one
// controller renamed.
const std::string kSoloScenario = "{" + kScenarioManager + R"(,
  "systems": [{
    "name": "Solo", "wwn": "5000-1FE1-5000-0060",
    "disk_shelves": [{"count": 12, "type": "Online", "capacity_gb": 146}],
    "disk_groups": [{"name": "\\Disk Groups\\Default Disk Group",
                     "disks": 10, "spare_policy": "Double",
                     "disk_type": "Online", "occupancy_alarm": 80}],
    "controllers": [{"name": "\\Hardware\\Left", "state": "good"},
                    {"name": "\\Hardware\\Controller B", "state": "good"}]
  }]})";

TEST(CaptureWriters, TheDefaultGroupAloneOnStandardOutputAndInFiles) {
  ScenarioSim sim("127.0.0.60", kSoloScenario);
  ASSERT_TRUE(sim.server().listening());
  const std::string halt = "SET OPTIONS ON_ERROR=HALT_ON_ERROR\n";
  const std::string basic =
      halt +
      "ADD SYSTEM \"Solo\" DEVICE_COUNT=10 SPARE_POLICY=DOUBLE "
      "DISKGROUP_DISKTYPE=ONLINE CONSOLE_LUN_ID=0\n"
      "SELECT SYSTEM \"Solo\"\n"
      "SET DISK_GROUP \"\\Disk Groups\\Default Disk Group\" "
      "OCCUPANCY_ALARM=80\n"
      "! \n! One or more individual controllers have been renamed. A "
      "restore of the captured configuration will be unable to correctly "
      "rename them due to hardware configuration issues, so the user will "
      "have to rename them manually once the configuration has been "
      "restored.  Note that renaming controllers is merely an aesthetic "
      "issue and will not effect the functioning of your storage system.\n"
      "! \n! Original controller names were:\n! \n! \\Hardware\\Left\n"
      "! \\Hardware\\Controller B\n! \n";
  auto step = [&](const std::string& name, const std::string& body) {
    return "\n\n\n" + header(name, "127.0.0.60", "Solo") + body +
           complete(name);
  };
  SessionRun run =
      runAgainst(sim.server(), {"SELECT SYSTEM Solo", "CAPTURE CONFIGURATION"});
  // Without a file: every step on the standard output, no checksum lines,
  // no progress marks, and every step complete.
  EXPECT_OUTPUT(
      echo("SELECT SYSTEM Solo") + echo("CAPTURE CONFIGURATION", "Solo") +
          kMayTakeAwhile + step("Step1A", basic) + step("Step1B", halt) +
          step("Step1C", halt) + step("Step2", halt) + step("Step3", halt),
      withoutCaptureTime(run.output));
  EXPECT_EQ(0, run.exitStatus);

  // With a file: Step1A is kept however little it holds; the other steps
  // find nothing to write and leave no file.
  run = runAgainst(sim.server(),
                   {"SELECT SYSTEM Solo", "CAPTURE CONFIGURATION solo.txt"});
  EXPECT_OUTPUT(
      echo("SELECT SYSTEM Solo") +
          echo("CAPTURE CONFIGURATION solo.txt", "Solo") + kMayTakeAwhile +
          "\nGenerating file solo_Step1A.txt\n...." + complete("Step1A") +
          "\nGenerating file solo_Step1B.txt" + unnecessary("Step1B") +
          "\nGenerating file solo_Step1C.txt" + unnecessary("Step1C") +
          "\nGenerating file solo_Step2.txt" + unnecessary("Step2") +
          "\nGenerating file solo_Step3.txt" + unnecessary("Step3"),
      run.output);
  std::string script =
      withoutCaptureTime(fileText(sim.file("solo_Step1A.txt")));
  const std::string sealed = "! \n! PELK CAPTURE script checksum start\n" +
                             header("Step1A", "127.0.0.60", "Solo") + basic +
                             "! \n! PELK CAPTURE script checksum end: ";
  EXPECT_OUTPUT(sealed, script.substr(0, sealed.size()));
  for (const char* step : {"Step1B", "Step1C", "Step2", "Step3"}) {
    EXPECT_EQ("<missing>",
              fileText(sim.file("solo_" + std::string(step) + ".txt")));
  }
  run = runAgainst(sim.server(), {"CAPTURE VALIDATE solo_Step1A.txt"});
  EXPECT_OUTPUT(
      echo("CAPTURE VALIDATE solo_Step1A.txt") +
          "\nUnmodified CAPTURE script between checksum start and end",
      run.output);
}

}  // namespace
}  // namespace e2e
