// Virtual disks, snapshots and copies against pelk-sim: the requests with
// their folder and group identifiers, modes and repeated options, the
// server's refusals, and the disks SHOW VDISK lists afterwards.
#include <gtest/gtest.h>

#include "demo_session.h"
#include "pelk_runner.h"
#include "support/loopback.h"

namespace e2e {
namespace {

using testing_support::loopbackAddress;

constexpr char kSystem[] =
    "ElementID=\"1000000100000000000000000000000000000000\"";
constexpr char kFinanceFolder[] =
    "FolderID=\"1100000100000000000000000000000000000009\"";
constexpr char kDefaultGroup[] =
    "GroupID=\"130000010000000000000000000000000000000C\"";
constexpr char kArchiveGroup[] =
    "GroupID=\"130000010000000000000000000000000000000D\"";
constexpr char kDemoVdisks[] =
    "\nVdisks available on this Cell:\n"
    "  \\Virtual Disks\\Finance\\ledger\\ACTIVE\n"
    "  \\Virtual Disks\\Finance\\ledger\\nightly\n"
    "  \\Virtual Disks\\Finance\\reports\\ACTIVE\n"
    "  \\Virtual Disks\\Mail\\store\\ACTIVE";

std::string prompted(const std::string& line) {
  return echo(line, "Production");
}

TEST(ObjectsVdisks, CreateChangeAndDeleteVirtualDisks) {
  SimSession server(loopbackAddress(43), "", kDemo);
  REQUIRE_SIM(server);
  const std::string db1 = "\"\\Virtual Disks\\Finance\\db1\\ACTIVE\"";
  const std::vector<std::string> lines = {
      "SELECT SYSTEM Production",
      "ADD VDISK \"\\Virtual Disks\\Finance\\db1\" SIZE=10 SIZE=12 "
      "REDUNDANCY=VRAID1 DISK_GROUP=\"\\Disk Groups\\Default Disk Group\" "
      "NOWAIT_FOR_COMPLETION",
      "ADD VDISK \"\\Virtual Disks\\Nowhere\\db2\" SIZE=1",
      "ADD VDISK db3 SIZE=65535 GROUP=\"\\Disk Groups\\Archive\"",
      "ADD STORAGE db4 SIZE=5 WORLD_WIDE_LUN_NAME=6000-1 "
      "WORLD_WIDE_LUN_NAME=6000-2 READ_CACHE",
      "SET VDISK " + db1 + " SIZE=20",
      "SET STORAGE " + db1 + " NAME=db9",
      "DELETE VDISK \"\\Virtual Disks\\Finance\\ledger\\ACTIVE\"",
      "DELETE VDISK \"\\Virtual Disks\\scratch\\ACTIVE\"",
      "DELETE VDISK \"\\Virtual Disks\\Finance\\db9\\ACTIVE\" "
      "WAIT_FOR_COMPLETION",
      "SHOW VDISK",
  };
  SessionRun run = runDemo(server, lines);
  EXPECT_OUTPUT(
      echo(lines[0]) + prompted(lines[1]) + prompted(lines[2]) +
          "\nError: \\Virtual Disks\\Nowhere\\ not found" + prompted(lines[3]) +
          "\nError: Not enough free capacity in the disk group: \\Disk "
          "Groups\\Archive has 1750 GB, 81919 GB needed" +
          prompted(lines[4]) +
          "\nError: Invalid property value: only one lunwwn may be given" +
          prompted(lines[5]) + prompted(lines[6]) + prompted(lines[7]) +
          "\nError: Cannot delete Vdisks when LUNs are still present.\n"
          "       Delete all LUNS associated with this STORAGE first" +
          prompted(lines[8]) + prompted(lines[9]) + prompted(lines[10]) +
          kDemoVdisks + "\n  \\Virtual Disks\\archive01\\ACTIVE",
      run.output);
  const std::string system = kSystem;
  const std::string db1Id = "ID=\"1500000100000000000000000000000000000041\" ";
  const std::string getDb1 =
      "getproperties virtualdisk [scellid=\"1000000100000000000000000000000000"
      "000000\" objectid=\"1500000100000000000000000000000000000041\" "
      "objecttype=\"virtualdisk\"] -> ok";
  EXPECT_EQ(
      servedOperations(server),
      (std::vector<std::string>{
          "Create Storage [" + system + " Type=\"Storage\" " + kDefaultGroup +
              " " + kFinanceFolder +
              " RedundType=\"MIRROR\" Size=\"12\" Name=\"db1\" "
              "creationmode=\"asynchronous\"] -> ok",
          "Create Storage [" + system + " Type=\"Storage\" " + kArchiveGroup +
              " Size=\"65535\" Name=\"db3\" creationmode=\"synchronous\"] -> "
              "5031 Not enough free capacity in the disk group: \\Disk "
              "Groups\\Archive has 1750 GB, 81919 GB needed",
          "Create Storage [" + system +
              " Type=\"Storage\" ReadCache=\"On\" lunwwn=\"6000-2\" "
              "lunwwn=\"6000-1\" Size=\"5\" Name=\"db4\" "
              "creationmode=\"synchronous\"] -> 5004 Invalid property value: "
              "only one lunwwn may be given",
          "Set Storage [" + db1Id + system +
              " Type=\"Storage\" Size=\"20\"] -> ok",
          "Set Storage [" + db1Id + system +
              " Type=\"Storage\" Name=\"db9\"] -> ok",
          "getproperties virtualdisk "
          "[scellid=\"10000001000000000000000000000000"
          "00000000\" objectid=\"1500000100000000000000000000000000000035\" "
          "objecttype=\"virtualdisk\"] -> ok",
          "getproperties virtualdisk "
          "[scellid=\"10000001000000000000000000000000"
          "00000000\" objectid=\"1500000100000000000000000000000000000039\" "
          "objecttype=\"virtualdisk\"] -> ok",
          "Delete Storage [ID=\"1500000100000000000000000000000000000039\" " +
              system + " Type=\"Storage\" deletionmode=\"asynchronous\"] -> ok",
          getDb1,
          "Delete Storage [" + db1Id + system +
              " Type=\"Storage\" deletionmode=\"synchronous\"] -> ok",
      }));
}

TEST(ObjectsVdisks, SnapshotsAndCopiesOfAnExistingDisk) {
  SimSession server(loopbackAddress(44), "", kDemo);
  REQUIRE_SIM(server);
  const std::string store = "\"\\Virtual Disks\\Mail\\store\\ACTIVE\"";
  const std::vector<std::string> lines = {
      "SELECT SYSTEM Production",
      "ADD SNAPSHOT s1 ALLOCATION_POLICY=FULLY",
      "ADD SNAPSHOT s2 VDISK=nothing",
      "ADD SNAPSHOT snap1 VDISK=" + store +
          " ALLOCATION_POLICY=DEMAND "
          "OS_UNIT_ID=7",
      "ADD COPY \"\\Virtual Disks\\Mail\\storecopy\" WAIT_FOR_COMPLETION " +
          store + " DISK_GROUP=\"\\Disk Groups\\Archive\" REDUNDANCY=VRAID5",
      "ADD COPY c2 STORAGE=\"\\Virtual Disks\\scratch\\ACTIVE\"",
      "SHOW VDISK",
  };
  SessionRun run = runDemo(server, lines);
  EXPECT_OUTPUT(echo(lines[0]) + prompted(lines[1]) +
                    "\nError: Incomplete command" + prompted(lines[2]) +
                    "\nError: nothing not found" + prompted(lines[3]) +
                    prompted(lines[4]) + prompted(lines[5]) +
                    prompted(lines[6]) + kDemoVdisks +
                    "\n  \\Virtual Disks\\scratch\\ACTIVE"
                    "\n  \\Virtual Disks\\archive01\\ACTIVE"
                    "\n  \\Virtual Disks\\Mail\\store\\snap1"
                    "\n  \\Virtual Disks\\Mail\\storecopy\\ACTIVE"
                    "\n  \\Virtual Disks\\c2\\ACTIVE",
                run.output);
  const std::string system = kSystem;
  const std::string storeId =
      "StorageID=\"1500000100000000000000000000000000000038\" ";
  EXPECT_EQ(servedOperations(server),
            (std::vector<std::string>{
                "Copy Snapshot [" + storeId + system +
                    " Type=\"Snapshot\" BraskelID=\"7\" spaceefficiency=\"0\" "
                    "Name=\"snap1\"] -> ok",
                "Copy Clone [" + storeId + system + " Type=\"Clone\" " +
                    kArchiveGroup +
                    " FolderID=\"110000010000000000000000000000000000000A\" "
                    "RedundType=\"PARITY\" Name=\"storecopy\" "
                    "creationmode=\"synchronous\"] -> ok",
                "Copy Clone "
                "[StorageID=\"1500000100000000000000000000000000000039\" " +
                    system +
                    " Type=\"Clone\" Name=\"c2\" "
                    "creationmode=\"asynchronous\"] -> ok",
            }));
}

}  // namespace
}  // namespace e2e
