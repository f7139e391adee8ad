// Controllers, monitors, events and the element-manager diagnostics
// against pelk-sim: RESTART and SHUTDOWN with and without their peers, SET
// MONITOR, the event lists, EMVERSION, REDISCOVER, the disk exercise, and
// the hidden DEBUG INFORMATION and TALLOW_FLAGS.
#include <gtest/gtest.h>

#include <filesystem>

#include "demo_session.h"
#include "pelk_runner.h"
#include "support/loopback.h"

namespace e2e {
namespace {

using testing_support::loopbackAddress;

constexpr char kSystem[] =
    "ElementID=\"1000000100000000000000000000000000000000\"";
constexpr char kCell[] = "scellid=\"1000000100000000000000000000000000000000\"";

std::string prompted(const std::string& line) {
  return echo(line, "Production");
}

TEST(ObjectsDiagnostics, ControllersMonitorsAndEvents) {
  SimSession server(loopbackAddress(51), "", kDemo);
  REQUIRE_SIM(server);
  const std::string controllerA = "\"\\Hardware\\Controller A\"";
  const std::string shelf = "\"Disk Enclosure Monitor\"";
  const std::vector<std::string> lines = {
      "SELECT SYSTEM Production",
      "SHUTDOWN " + controllerA,
      "SHUTDOWN " + controllerA + " ALL_PEERS",
      "RESTART \"\\Hardware\\Controller B\" ALL_PEERS NOALL_PEERS",
      "RESTART nothing",
      "SHOW POWER " + controllerA,
      "SET MONITOR " + shelf + " COMMENT=\"Shelf 2\"",
      "SET MONITOR " + shelf + " NAME=\"Shelf Monitor\"",
      "SHOW MONITOR",
      "SHOW DISK_EVENT",
      "SHOW MANAGEMENT_EVENT",
  };
  SessionRun run = runDemo(server, lines);
  EXPECT_OUTPUT(
      echo(lines[0]) + prompted(lines[1]) + prompted(lines[2]) +
          prompted(lines[3]) + prompted(lines[4]) +
          "\nError: nothing not found" + prompted(lines[5]) +
          "\n\\Hardware\\Controller A information:"
          "\n  Controller [0]:"
          "\n                        Name : \\Hardware\\Controller A"
          "\n                          ID : "
          "1800000100000000000000000000000000000001"
          "\n           Operational_State : shutdown"
          "\n                 Power_State : off"
          "\n  Controller [1]:"
          "\n                        Name : \\Hardware\\Controller B"
          "\n                          ID : "
          "1800000100000000000000000000000000000002"
          "\n           Operational_State : good"
          "\n                 Power_State : on"
          "\n      Requested_Controller : \\Hardware\\Controller A" +
          prompted(lines[6]) + prompted(lines[7]) + prompted(lines[8]) +
          "\nMonitors available on this Cell:"
          "\n  Controller Enclosure Monitor\n  Shelf Monitor" +
          prompted(lines[9]) +
          "\nDisk_Events available on this Cell:\n  0x0321 "
          "2025-12-31 23:00:00" +
          prompted(lines[10]) +
          "\nManagement_Events available on this Cell:"
          "\n  0x0600 2025-12-31 23:10:00"
          // Each accepted change above is logged as an event.
          "\n  0x0601 2026-01-01 00:00:01\n  0x0601 2026-01-01 00:00:02"
          "\n  0x0601 2026-01-01 00:00:03\n  0x0601 2026-01-01 00:00:04"
          "\n  0x0601 2026-01-01 00:00:05",
      run.output);
  const std::string system = kSystem;
  const std::string a = "ID=\"1800000100000000000000000000000000000001\" ";
  const std::string monitor =
      "ID=\"1900000100000000000000000000000000000004\" ";
  EXPECT_EQ(
      servedOperations(server),
      (std::vector<std::string>{
          "Set Power [" + a + system + " Type=\"Power\" Restart=\"NO\"] -> ok",
          "Set Power [" + a + system +
              " Type=\"Power\" Coupled=\"YES\" Restart=\"NO\"] -> ok",
          "Set Power [ID=\"1800000100000000000000000000000000000002\" " +
              system + " Type=\"Power\" Coupled=\"NO\" Restart=\"YES\"] -> ok",
          "Get Power [" + a + system + " Type=\"Power\"] -> ok",
          "Set Monitor [" + monitor + system +
              " Type=\"Monitor\" comments=\"Shelf 2\"] -> ok",
          "Set Monitor [" + monitor + system +
              " Type=\"Monitor\" Name=\"Shelf Monitor\"] -> ok",
      }));
}

TEST(ObjectsDiagnostics, VersionRediscoveryAndDiskExercise) {
  SimSession server(loopbackAddress(52), "", kDemo);
  REQUIRE_SIM(server);
  const std::vector<std::string> lines = {
      "EMVERSION",
      "REDISCOVER",
      "EXERCISE_DISK STOP",
      "SELECT SYSTEM Production",
      "EXERCISE_DISK START \" Disk 001,, Disk 002 \"",
      "EXERCISE_DISK SUMMARY",
      "EXERCISE_DISK START ALL",
      "EXERCISE_DISK STOP",
      "EXERCISE_DISK STOP",
      "EXERCISE_DISK START \"Disk 9\"",
      "EXERCISE_DISK START \" , \"",
      "EXERCISE_DISK SUMMARY",
  };
  SessionRun run = runDemo(server, lines);
  EXPECT_OUTPUT(
      echo(lines[0]) + "\nElement manager information (at " +
          loopbackAddress(52) +
          ":12301)"
          "\n  Version: 3.2\n  Build: 3.2.0117" +
          echo(lines[1]) + echo(lines[2]) +
          "\nError: Command not valid until a system is selected (SELECT "
          "SYSTEM)" +
          echo(lines[3]) + prompted(lines[4]) + prompted(lines[5]) +
          "\nDisk exercise running, 1 passes completed, no errors found. "
          "Disks: Disk 001, Disk 002" +
          prompted(lines[6]) +
          "\nError: A disk exercise is already running: Production " +
          prompted(lines[7]) + prompted(lines[8]) +
          "\nError: No disk exercise is running: Production " +
          prompted(lines[9]) +
          "\nError: EMClientAPITNG error ->\nEMCLIENTAPI_OBJECTNOTFOUND_ERROR "
          ": Error a requested object doesn't exist on the specified storage "
          "cell.\n" +
          prompted(lines[10]) +
          "\nError: No disk named in the list (EXERCISE_DISK START ALL "
          "exercises every disk)" +
          prompted(lines[11]) +
          "\nDisk exercise stopped, 1 passes completed, no errors found. "
          "Disks: Disk 001, Disk 002",
      run.output);
  const std::string cell = kCell;
  const std::string diskList =
      "getobjectlist disk [" + cell + " objecttype=\"disk\"] -> ok";
  std::vector<std::string> operations = servedOperations(server);
  ASSERT_EQ(operations.size(), 11u);
  EXPECT_EQ(operations[0], "getsysteminfo [] -> ok");
  EXPECT_EQ(operations[1], "discoverstoragecell [] -> ok");
  EXPECT_EQ(operations[2], diskList);
  EXPECT_EQ(operations[3],
            "startdiskexercise [" + cell +
                " diskid=\"120000010000000000000000000000000000000E\" "
                "diskid=\"120000010000000000000000000000000000000F\"] -> ok");
  EXPECT_EQ(operations[4], "diskexercisesummary [" + cell + "] -> ok");
  EXPECT_EQ(operations[5], diskList);
  // START ALL names every disk of the system.
  EXPECT_TRUE(operations[6].starts_with(
      "startdiskexercise [" + cell +
      " diskid=\"120000010000000000000000000000000000000E\" "))
      << operations[6];
  EXPECT_NE(operations[6].find(
                "diskid=\"1200000100000000000000000000000000000031\"] -> 5070"),
            std::string::npos);
  EXPECT_EQ(operations[7], "stopdiskexercise [" + cell + "] -> ok");
  EXPECT_EQ(operations[8], "stopdiskexercise [" + cell +
                               "] -> 5071 No disk exercise is running: "
                               "Production");
  // "Disk 9" matches no disk: nothing is started.
  EXPECT_EQ(operations[9], diskList);
  EXPECT_EQ(operations[10], "diskexercisesummary [" + cell + "] -> ok");
}

// A refused exercise fails the command, so a script that stops on errors
// stops there.
TEST(ObjectsDiagnostics, ARefusedExerciseFailsTheCommand) {
  SimSession server(loopbackAddress(53), "", kDemo);
  REQUIRE_SIM(server);
  const std::vector<std::string> lines = {
      "SET OPTIONS ON_ERROR=EXIT_ON_ERROR",
      "SELECT SYSTEM Production",
      "EXERCISE_DISK STOP",
      "SHOW SYSTEM",
  };
  SessionRun run = runDemo(server, lines);
  EXPECT_OUTPUT(echo(lines[0]) + echo(lines[1]) + prompted(lines[2]) +
                    "\nError: No disk exercise is running: Production ",
                run.output);
  EXPECT_EQ(run.exitStatus, 1);
}

TEST(ObjectsDiagnostics, DebugInformationAndTallowFlags) {
  SimSession server(loopbackAddress(54), "", kDemo);
  REQUIRE_SIM(server);
  testing_support::ScratchDirectory directory;
  SessionRun run =
      runDemo(server, {"DEBUG INFORMATION TALLOW_FLAGS=1", "SHOW CELL"},
              directory.path());
  EXPECT_OUTPUT(echo("DEBUG INFORMATION TALLOW_FLAGS=1") +
                    "\n\nPELK Build 7 for tarnwick 3.2 on Jul 12 2004 at "
                    "12:56:38\nDR support enabled\nEMClientAPITNG Version "
                    "3.2.104, Build date: Jun 22 2004\n" +
                    echo("SHOW CELL") +
                    "\nSystems available on this Manager:\n  Production\n"
                    "  5000-1FE1-5000-B2C0\n  DR Site",
                run.output);
  // The flags switched the client library's debug log on.
  EXPECT_TRUE(
      std::filesystem::exists(directory.path() + "/EMClientAPIDebug.txt"));
}

}  // namespace
}  // namespace e2e
