// SHOW of every object kind against pelk-sim: the list layout with its
// headings and empty-list lines, the detail layout with arrays,
// categories, long names and wrapped values, duplicate names and lookups.
#include <gtest/gtest.h>

#include "request_sim_session.h"
#include "support/loopback.h"

namespace e2e {
namespace {

using testing_support::loopbackAddress;

std::string list(const std::string& kind, const std::string& place,
                 const std::vector<std::string>& names) {
  std::string text = "\n" + kind + " available on this " + place + ":";
  for (const std::string& name : names) text += "\n  " + name;
  return text;
}

std::string none(const std::string& kind) {
  return list(kind, "Cell", {"No " + kind + " found"});
}

TEST(RequestShow, EveryKindListsItsObjectsOrSaysThereAreNone) {
  SimSession sim(loopbackAddress(100), kRequestScenario);
  REQUIRE_SIM(sim);
  const std::vector<std::string> kLines = {
      "SHOW SYSTEM",     "SELECT SYSTEM Empty",
      "SHOW VDISK",      "SHOW STORAGE",
      "SHOW HOST",       "SHOW LUN",
      "SHOW DISK_GROUP", "SHOW GROUP",
      "SHOW FOLDER",     "SHOW DR_GROUP",
      "SHOW POWER",      "SHOW MONITOR",
      "SHOW DISK",       "SHOW WORLD_WIDE_NAME",
      "SHOW DISK_EVENT", "SHOW MANAGEMENT_EVENT",
      "SHOW CELL"};
  auto run = runArguments(withManager(sim.address(), kLines));
  const std::string p = "Empty";
  EXPECT_OUTPUT(
      managerEcho(sim.address()) + echo("SHOW SYSTEM") +
          list("Systems", "Manager", {"Alpha", "Empty"}) +
          echo("SELECT SYSTEM Empty") + echo("SHOW VDISK", p) + none("Vdisks") +
          echo("SHOW STORAGE", p) + none("Vdisks") + echo("SHOW HOST", p) +
          none("Hosts") + echo("SHOW LUN", p) + none("LUNs") +
          echo("SHOW DISK_GROUP", p) + none("Disk_Groups") +
          echo("SHOW GROUP", p) + none("Disk_Groups") + echo("SHOW FOLDER", p) +
          list("Folders", "Cell",
               {"\\Virtual Disks\\", "\\Hosts\\", "\\Disk Groups\\",
                "\\Data Replication\\"}) +
          echo("SHOW DR_GROUP", p) + none("DR_Groups") + echo("SHOW POWER", p) +
          list("Power", "Cell",
               {"\\Hardware\\Controller A", "\\Hardware\\Controller B"}) +
          echo("SHOW MONITOR", p) +
          list("Monitors", "Cell",
               {"Controller Enclosure Monitor", "Disk Enclosure Monitor"}) +
          echo("SHOW DISK", p) +
          list("Disks", "Cell", {"Disk 001", "Disk 002"}) +
          echo("SHOW WORLD_WIDE_NAME", p) +
          list("World_Wide_Names", "Cell", {"5000-1FE1-5000-0002"}) +
          echo("SHOW DISK_EVENT", p) + none("Disk_Events") +
          echo("SHOW MANAGEMENT_EVENT", p) + none("Management_Events") +
          echo("SHOW CELL", p) + list("Systems", "Manager", {"Alpha", "Empty"}),
      run.output);
  EXPECT_EQ(0, run.exitStatus);
}

TEST(RequestShow, AManagerWithoutSystemsSaysSo) {
  SimSession sim(loopbackAddress(101), "");
  REQUIRE_SIM(sim);
  auto run = runArguments({"SELECT MANAGER " + sim.address() +
                               " USERNAME=administrator PASSWORD=administrator",
                           "SHOW SYSTEM"});
  EXPECT_OUTPUT(kBanner +
                    echo("SELECT MANAGER " + sim.address() +
                         " USERNAME=administrator PASSWORD=administrator") +
                    echo("SHOW SYSTEM") +
                    list("Systems", "Manager", {"No Systems found"}),
                run.output);
}

const std::string kGroupAt80 =
    "\n                      Name : \\Disk Groups\\Default Disk Group"
    "\n                        ID : 1300000100000000000000000000000000000009"
    "\n               Total_Disks : 4"
    "\nDisk_Failure_Protection_Level :"
    "\n                             Single"
    "\n        DiskGroup_DiskType : Online"
    "\n     Occupancy_Alarm_Level : 95 %"
    "\n       Total_storage_space : 292 GB"
    "\n        Storage_space_used : 4 GB"
    "\n   Available_storage_space : 288 GB"
    "\n                 Occupancy : 1 %"
    "\n                  Comments : A pool for the tests whose comment is long "
    "enough"
    "\n                             to wrap at every width"
    "\n  Disk [0]:"
    "\n                   Disk_Name : Disk 001"
    "\n                     Disk_ID : 120000010000000000000000000000000000000A"
    "\n  Disk [1]:"
    "\n                   Disk_Name : Disk 002"
    "\n                     Disk_ID : 120000010000000000000000000000000000000B"
    "\n  Disk [2]:"
    "\n                   Disk_Name : Disk 003"
    "\n                     Disk_ID : 120000010000000000000000000000000000000C"
    "\n  Disk [3]:"
    "\n                   Disk_Name : Disk 004"
    "\n                     Disk_ID : 120000010000000000000000000000000000000D";

const std::string kGroupAt70 =
    "\n                   Name : \\Disk Groups\\Default Disk Group"
    "\n                     ID : 1300000100000000000000000000000000000009"
    "\n            Total_Disks : 4"
    "\nDisk_Failure_Protection_Level :"
    "\n                          Single"
    "\n     DiskGroup_DiskType : Online"
    "\n  Occupancy_Alarm_Level : 95 %"
    "\n    Total_storage_space : 292 GB"
    "\n     Storage_space_used : 4 GB"
    "\nAvailable_storage_space : 288 GB"
    "\n              Occupancy : 1 %"
    "\n               Comments : A pool for the tests whose comment is long"
    "\n                          enough to wrap at every width"
    "\n  Disk [0]:"
    "\n                Disk_Name : Disk 001"
    "\n                  Disk_ID : 120000010000000000000000000000000000000A"
    "\n  Disk [1]:"
    "\n                Disk_Name : Disk 002"
    "\n                  Disk_ID : 120000010000000000000000000000000000000B"
    "\n  Disk [2]:"
    "\n                Disk_Name : Disk 003"
    "\n                  Disk_ID : 120000010000000000000000000000000000000C"
    "\n  Disk [3]:"
    "\n                Disk_Name : Disk 004"
    "\n                  Disk_ID : 120000010000000000000000000000000000000D";

TEST(RequestShow, DetailsPrintArraysCategoriesLongNamesAndWrapAtTwoWidths) {
  SimSession sim(loopbackAddress(102), kRequestScenario);
  REQUIRE_SIM(sim);
  const std::string kGroup = "\"\\Disk Groups\\Default Disk Group\"";
  auto run = runArguments(withManager(
      sim.address(), {"SELECT SYSTEM Alpha", "SHOW DISK_GROUP FULL",
                      "SET OPTIONS DISPLAY_WIDTH=70",
                      "SHOW DISK_GROUP " + kGroup, "SHOW SYSTEM Alpha"}));
  const std::string p = "Alpha";
  EXPECT_OUTPUT(
      managerEcho(sim.address()) + echo("SELECT SYSTEM Alpha") +
          echo("SHOW DISK_GROUP FULL", p) +
          "\nDisk_Groups available on this Cell:"
          "\n\\Disk Groups\\Default Disk Group information:" +
          kGroupAt80 + echo("SET OPTIONS DISPLAY_WIDTH=70", p) +
          echo("SHOW DISK_GROUP " + kGroup, p) +
          "\n\\Disk Groups\\Default Disk Group information:" + kGroupAt70 +
          echo("SHOW SYSTEM Alpha", p) +
          "\nAlpha information:"
          "\n                   Name : Alpha"
          "\n                     ID : 1000000100000000000000000000000000000000"
          "\n        World_Wide_Name : 5000-1FE1-5000-0001"
          "\n      Operational_State : good"
          "\n         Console_LUN_ID : 0"
          "\n            Total_disks : 4"
          "\n               Comments : Test array"
          "\n  Capacity:"
          "\n      Total_storage_space : 292 GB"
          "\n       Storage_space_used : 4 GB"
          "\n  Available_storage_space : 288 GB",
      run.output);
}

TEST(RequestShow, DuplicateNamesAreNumberedAndAddressable) {
  SimSession sim(loopbackAddress(103), kRequestScenario);
  REQUIRE_SIM(sim);
  auto run = runArguments(withManager(
      sim.address(),
      {"SELECT SYSTEM Alpha", "SHOW LUN", "SHOW LUN 5{2}", "SHOW LUN 5{3}"}));
  const std::string p = "Alpha";
  EXPECT_OUTPUT(managerEcho(sim.address()) + echo("SELECT SYSTEM Alpha") +
                    echo("SHOW LUN", p) +
                    list("LUNs", "Cell", {"5", "5{1}", "5{2}"}) +
                    echo("SHOW LUN 5{2}", p) +
                    "\n5{2} information:"
                    "\n                      Name : 5"
                    "\n                        ID : "
                    "1600000100000000000000000000000000000015"
                    "\n                       Lun : 5"
                    "\n         StorageClientName : \\Hosts\\h3"
                    "\n           StorageClientID : "
                    "1400000100000000000000000000000000000010"
                    "\n               StorageName : \\Virtual Disks\\v1\\ACTIVE"
                    "\n                 StorageID : "
                    "1500000100000000000000000000000000000011" +
                    echo("SHOW LUN 5{3}", p) + "\nError: 5{3} not found",
                run.output);
}

TEST(RequestShow, NamesAreLookedUpWithTheirCase) {
  SimSession sim(loopbackAddress(104), kRequestScenario);
  REQUIRE_SIM(sim);
  auto run = runArguments(
      withManager(sim.address(), {"SELECT SYSTEM alpha", "SELECT SYSTEM Alpha",
                                  "SHOW HOST \\hosts\\h1", "SHOW HOST H1"}));
  EXPECT_OUTPUT(managerEcho(sim.address()) + echo("SELECT SYSTEM alpha") +
                    "\nError: alpha not found" + echo("SELECT SYSTEM Alpha") +
                    echo("SHOW HOST \\hosts\\h1", "Alpha") +
                    "\nError: \\hosts\\h1 not found" +
                    echo("SHOW HOST H1", "Alpha") + "\nError: H1 not found",
                run.output);
}

}  // namespace
}  // namespace e2e
