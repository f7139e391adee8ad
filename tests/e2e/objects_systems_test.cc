// Systems against pelk-sim: selecting one, initializing the uninitialized
// array with ADD SYSTEM, renaming, deleting only the selected one. Each
// test checks the printed session, the requests the server received and
// the state the SHOW commands report afterwards.
#include <gtest/gtest.h>

#include "demo_session.h"
#include "pelk_runner.h"
#include "support/loopback.h"

namespace e2e {
namespace {

using testing_support::loopbackAddress;

constexpr char kProductionId[] = "1000000100000000000000000000000000000000";
constexpr char kBlankArrayId[] = "1000000200000000000000000000000000000000";
constexpr char kBlankArray[] = "5000-1FE1-5000-B2C0";

const std::string kNoSystem =
    "\nError: Command not valid until a system is selected (SELECT SYSTEM)";

TEST(ObjectsSystems, AddSystemInitializesTheSelectedArrayAndDeselectsIt) {
  SimSession server(loopbackAddress(40), "", kDemo);
  REQUIRE_SIM(server);
  const std::string add =
      "ADD SYSTEM Lab DEVICE_COUNT=8 SPARE_POLICY=SINGLE "
      "DISKGROUP_DISKTYPE=ONLINE CONSOLE_LUN_ID=32767 COMMENT=\"Test lab\"";
  SessionRun run = runDemo(
      server, {"ADD SYSTEM Lab", "SELECT SYSTEM " + std::string(kBlankArray),
               "ADD SYSTEM Production", add, "SHOW SYSTEM", "SELECT SYSTEM lab",
               "SELECT SYSTEM Lab", "SHOW DISK_GROUP"});
  EXPECT_OUTPUT(
      echo("ADD SYSTEM Lab") + kNoSystem +
          echo("SELECT SYSTEM " + std::string(kBlankArray)) +
          echo("ADD SYSTEM Production", kBlankArray) +
          "\nError: Name already in use: Production" + echo(add, kBlankArray) +
          echo("SHOW SYSTEM") +
          "\nSystems available on this Manager:\n  Production\n  Lab\n"
          "  DR Site" +
          echo("SELECT SYSTEM lab") + "\nError: lab not found" +
          echo("SELECT SYSTEM Lab") + echo("SHOW DISK_GROUP", "Lab") +
          "\nDisk_Groups available on this Cell:\n"
          "  \\Disk Groups\\Default Disk Group",
      run.output);
  EXPECT_EQ(run.exitStatus, 0);
  const std::string id = kBlankArrayId;
  EXPECT_EQ(servedOperations(server),
            (std::vector<std::string>{
                "Create Element [ID=\"" + id +
                    "\" Type=\"Element\" Name=\"Production\"] -> 5020 Name "
                    "already in use: Production",
                "Create Element [ID=\"" + id +
                    "\" Type=\"Element\" comments=\"Test lab\" "
                    "BraskelID=\"32767\" scdisktype=\"Online\" "
                    "SparePolicy=\"Single\" DeviceCount=\"8\" Name=\"Lab\"] "
                    "-> ok",
            }));
}

// A mistyped name must not leave the commands after it acting on the
// system selected before.
TEST(ObjectsSystems, AFailedSelectionLeavesNoSystemSelected) {
  SimSession server(loopbackAddress(56), "", kDemo);
  REQUIRE_SIM(server);
  SessionRun run = runDemo(
      server, {"SELECT SYSTEM Production", "SELECT SYSTEM \"DR Sight\"",
               "DELETE VDISK \"\\Virtual Disks\\Finance\\reports\\ACTIVE\""});
  EXPECT_OUTPUT(
      echo("SELECT SYSTEM Production") +
          echo("SELECT SYSTEM \"DR Sight\"", "Production") +
          "\nError: DR Sight not found" +
          echo("DELETE VDISK \"\\Virtual Disks\\Finance\\reports\\ACTIVE\"") +
          kNoSystem,
      run.output);
  EXPECT_TRUE(servedOperations(server).empty());
}

TEST(ObjectsSystems, RenameFollowsTheSelectionOnlyWhenTheServerAgrees) {
  SimSession server(loopbackAddress(41), "", kDemo);
  REQUIRE_SIM(server);
  SessionRun run = runDemo(
      server,
      {"SELECT SYSTEM Production", "SET SYSTEM Production NAME=\"DR Site\"",
       "SET SYSTEM Production NAME=Main", "SET CELL Main CONSOLE_LUN_ID=4",
       "SET SYSTEM \"DR Site\" COMMENT=\"Standby\"", "SHOW SYSTEM"});
  EXPECT_OUTPUT(
      echo("SELECT SYSTEM Production") +
          echo("SET SYSTEM Production NAME=\"DR Site\"", "Production") +
          "\nError: Name already in use: DR Site" +
          echo("SET SYSTEM Production NAME=Main", "Production") +
          echo("SET CELL Main CONSOLE_LUN_ID=4", "Main") +
          echo("SET SYSTEM \"DR Site\" COMMENT=\"Standby\"", "Main") +
          echo("SHOW SYSTEM", "Main") +
          "\nSystems available on this Manager:\n  Main\n  " + kBlankArray +
          "\n  DR Site",
      run.output);
  const std::string id = kProductionId;
  EXPECT_EQ(servedOperations(server),
            (std::vector<std::string>{
                "Set Element [ID=\"" + id +
                    "\" Type=\"Element\" Name=\"DR Site\"] -> 5020 Name "
                    "already in use: DR Site",
                "Set Element [ID=\"" + id +
                    "\" Type=\"Element\" Name=\"Main\"] -> ok",
                "Set Element [ID=\"" + id +
                    "\" Type=\"Element\" BraskelID=\"4\"] -> ok",
                "Set Element [ID=\"1000000300000000000000000000000000000000\" "
                "Type=\"Element\" comments=\"Standby\"] -> ok",
            }));
}

TEST(ObjectsSystems, OnlyTheSelectedEmptySystemIsDeleted) {
  SimSession server(loopbackAddress(42), "", kDemo);
  REQUIRE_SIM(server);
  SessionRun run = runDemo(
      server, {"SELECT SYSTEM Production", "DELETE SYSTEM \"DR Site\"",
               "DELETE SYSTEM Production",
               "SELECT SYSTEM " + std::string(kBlankArray), "ADD SYSTEM Lab",
               "SELECT SYSTEM Lab", "DELETE SYSTEM Lab", "SHOW SYSTEM"});
  EXPECT_OUTPUT(
      echo("SELECT SYSTEM Production") +
          echo("DELETE SYSTEM \"DR Site\"", "Production") +
          "\nError: Only the selected system may be deleted" +
          echo("DELETE SYSTEM Production", "Production") +
          "\nError: Cannot delete system when Vdisks are still present.\n"
          "       Delete all storage on this cell first" +
          echo("SELECT SYSTEM " + std::string(kBlankArray), "Production") +
          echo("ADD SYSTEM Lab", kBlankArray) + echo("SELECT SYSTEM Lab") +
          echo("DELETE SYSTEM Lab", "Lab") + echo("SHOW SYSTEM") +
          "\nSystems available on this Manager:\n  Production\n  " +
          kBlankArray + "\n  DR Site",
      run.output);
  const std::string id = kBlankArrayId;
  EXPECT_EQ(servedOperations(server),
            (std::vector<std::string>{
                "Create Element [ID=\"" + id +
                    "\" Type=\"Element\" Name=\"Lab\"] -> ok",
                "Delete Element [ID=\"" + id + "\" Type=\"Element\"] -> ok",
            }));
}

}  // namespace
}  // namespace e2e
