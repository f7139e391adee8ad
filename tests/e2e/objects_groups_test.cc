// Disk groups, folders and disks against pelk-sim: creation with options,
// changes including the disk to remove, folders only inside folders, and
// the lists afterwards.
#include <gtest/gtest.h>

#include "demo_session.h"
#include "pelk_runner.h"
#include "support/loopback.h"

namespace e2e {
namespace {

using testing_support::loopbackAddress;

constexpr char kSystem[] =
    "ElementID=\"1000000100000000000000000000000000000000\"";
constexpr char kDemoGroups[] =
    "\nDisk_Groups available on this Cell:\n"
    "  \\Disk Groups\\Default Disk Group\n"
    "  \\Disk Groups\\Archive";
constexpr char kDemoFolders[] =
    "\nFolders available on this Cell:\n"
    "  \\Virtual Disks\\\n"
    "  \\Hosts\\\n"
    "  \\Disk Groups\\\n"
    "  \\Data Replication\\\n"
    "  \\Virtual Disks\\Finance\\\n"
    "  \\Virtual Disks\\Mail\\\n"
    "  \\Hosts\\Unix\\";

std::string prompted(const std::string& line) {
  return echo(line, "Production");
}

TEST(ObjectsGroups, DiskGroupsAndTheirDisks) {
  SimSession server(loopbackAddress(47), "", kDemo);
  REQUIRE_SIM(server);
  const std::string fast = "\"\\Disk Groups\\Fast\"";
  const std::vector<std::string> lines = {
      "SELECT SYSTEM Production",
      "ADD DISK_GROUP Fast DEVICE_COUNT=8 OCCUPANCY_ALARM=80 "
      "DISKGROUP_DISKTYPE=ONLINE SPARE_POLICY=NONE COMMENT=\"SSD\"",
      "ADD GROUP Big DEVICE_COUNT=100",
      "SET DISK_GROUP " + fast + " ADD=2",
      "SET DISK_GROUP " + fast + " SPARE_POLICY=DOUBLE OCCUPANCY_ALARM=70",
      "SET DISK_GROUP " + fast + " DELETE=\"Disk 022\"",
      "SET DISK_GROUP " + fast + " DELETE=\"Disk 999\"",
      "DELETE DISK_GROUP \"\\Disk Groups\\Archive\"",
      "SHOW DISK_GROUP",
      "SET DISK \"Disk 001\" COMMENT=\"Replaced 2026\"",
      "SET DISK \"Disk 002\" NAME=\"Disk 002b\"",
      "SHOW DISK \"Disk 001\"",
      "DELETE GROUP " + fast,
      "SHOW DISK_GROUP",
  };
  SessionRun run = runDemo(server, lines);
  EXPECT_OUTPUT(
      echo(lines[0]) + prompted(lines[1]) + prompted(lines[2]) +
          "\nError: Not enough free disks of that type: 100 Online disks "
          "asked, 4 free" +
          prompted(lines[3]) + prompted(lines[4]) + prompted(lines[5]) +
          prompted(lines[6]) + "\nError: Disk 999 not found" +
          prompted(lines[7]) +
          "\nError: Disk group still holds virtual disks: \\Disk "
          "Groups\\Archive" +
          prompted(lines[8]) + kDemoGroups + "\n  \\Disk Groups\\Fast" +
          prompted(lines[9]) + prompted(lines[10]) + prompted(lines[11]) +
          "\nDisk 001 information:"
          "\n                      Name : Disk 001"
          "\n                        ID : "
          "120000010000000000000000000000000000000E"
          "\n                 Disk_Type : Online"
          "\n                  Capacity : 146 GB"
          "\n                Disk_Group : \\Disk Groups\\Default Disk Group"
          "\n         Operational_State : good"
          "\n            Exercise_State : idle"
          "\n                  Comments : Replaced 2026" +
          prompted(lines[12]) + prompted(lines[13]) + kDemoGroups,
      run.output);
  const std::string system = kSystem;
  const std::string fastId = "ID=\"1300000100000000000000000000000000000041\" ";
  EXPECT_EQ(
      servedOperations(server),
      (std::vector<std::string>{
          "Create DiskGroup [" + system +
              " Type=\"DiskGroup\" comments=\"SSD\" SparePolicy=\"None\" "
              "diskgrpdisktype=\"Online\" occupancyalarmlevel=\"80\" "
              "DeviceCount=\"8\" Name=\"Fast\"] -> ok",
          "Create DiskGroup [" + system +
              " Type=\"DiskGroup\" DeviceCount=\"100\" Name=\"Big\"] -> 5030 "
              "Not enough free disks of that type: 100 Online disks asked, 4 "
              "free",
          "Set DiskGroup [" + fastId + system +
              " Type=\"DiskGroup\" AddDiskCount=\"2\"] -> ok",
          "Set DiskGroup [" + fastId + system +
              " Type=\"DiskGroup\" occupancyalarmlevel=\"70\" "
              "SparePolicy=\"Double\"] -> ok",
          "Set DiskGroup [" + fastId + system +
              " Type=\"DiskGroup\" "
              "DeleteDiskID=\"1200000100000000000000000000000000000023\"] -> "
              "ok",
          "Delete DiskGroup [ID=\"130000010000000000000000000000000000000D\" " +
              system +
              " Type=\"DiskGroup\"] -> 5032 Disk group still holds virtual "
              "disks: \\Disk Groups\\Archive",
          "Set Disk [ID=\"120000010000000000000000000000000000000E\" " +
              system + " Type=\"Disk\" comments=\"Replaced 2026\"] -> ok",
          "Set Disk [ID=\"120000010000000000000000000000000000000F\" " +
              system + " Type=\"Disk\" Name=\"Disk 002b\"] -> ok",
          "Get Disk [ID=\"120000010000000000000000000000000000000E\" " +
              system + " Type=\"Disk\"] -> ok",
          "Delete DiskGroup [" + fastId + system + " Type=\"DiskGroup\"] -> ok",
      }));
}

TEST(ObjectsGroups, FoldersAreCreatedInsideFolders) {
  SimSession server(loopbackAddress(48), "", kDemo);
  REQUIRE_SIM(server);
  const std::string sales = "\"\\Virtual Disks\\Sales\\\"";
  const std::string marketing = "\"\\Virtual Disks\\Marketing\\\"";
  const std::vector<std::string> lines = {
      "SELECT SYSTEM Production",
      "ADD FOLDER Sales",
      "ADD FOLDER \"\\Virtual Disks\\Sales\" COMMENT=\"Sales team\"",
      "ADD FOLDER \"\\Virtual Disks\\Sales\\EMEA\"",
      "ADD FOLDER \"\\Nowhere\\x\"",
      "SET FOLDER " + sales + " NAME=Marketing",
      "SET FOLDER " + marketing + " COMMENT=\"Renamed\"",
      "SHOW FOLDER",
      "DELETE FOLDER " + marketing,
      "DELETE FOLDER \"\\Virtual Disks\\Marketing\\EMEA\\\"",
      "DELETE FOLDER " + marketing,
      "SHOW FOLDER",
  };
  SessionRun run = runDemo(server, lines);
  EXPECT_OUTPUT(
      echo(lines[0]) + prompted(lines[1]) +
          "\nError: Root folders cannot be created" + prompted(lines[2]) +
          prompted(lines[3]) + prompted(lines[4]) +
          "\nError: \\Nowhere\\ not found" + prompted(lines[5]) +
          prompted(lines[6]) + prompted(lines[7]) + kDemoFolders +
          "\n  \\Virtual Disks\\Marketing\\"
          "\n  \\Virtual Disks\\Marketing\\EMEA\\" +
          prompted(lines[8]) +
          "\nError: Folder is not empty: \\Virtual Disks\\Marketing\\" +
          prompted(lines[9]) + prompted(lines[10]) + prompted(lines[11]) +
          kDemoFolders,
      run.output);
  const std::string system = kSystem;
  const std::string salesId =
      "ID=\"1100000100000000000000000000000000000041\" ";
  EXPECT_EQ(
      servedOperations(server),
      (std::vector<std::string>{
          "Create Folder [" + system +
              " Type=\"Folder\" "
              "ID=\"1100000100000000000000000000000000000005\" "
              "comments=\"Sales team\" Name=\"Sales\"] -> ok",
          "Create Folder [" + system + " Type=\"Folder\" " + salesId +
              "Name=\"EMEA\"] -> ok",
          "Set Folder [" + salesId + system +
              " Type=\"Folder\" Name=\"Marketing\"] -> ok",
          "Set Folder [" + salesId + system +
              " Type=\"Folder\" comments=\"Renamed\"] -> ok",
          "Delete Folder [" + salesId + system +
              " Type=\"Folder\"] -> 5025 Folder is not empty: \\Virtual "
              "Disks\\Marketing\\",
          "Delete Folder [ID=\"1100000100000000000000000000000000000043\" " +
              system + " Type=\"Folder\"] -> ok",
          "Delete Folder [" + salesId + system + " Type=\"Folder\"] -> ok",
      }));
}

}  // namespace
}  // namespace e2e
