// Hosts and LUN presentations against pelk-sim: adapters as repeated
// elements, the operating-system modes with the default and the custom
// mask, adapter changes, and LUNs with their presence checks.
#include <gtest/gtest.h>

#include "demo_session.h"
#include "pelk_runner.h"
#include "support/loopback.h"

namespace e2e {
namespace {

using testing_support::loopbackAddress;

constexpr char kSystem[] =
    "ElementID=\"1000000100000000000000000000000000000000\"";
constexpr char kDemoHosts[] =
    "\nHosts available on this Cell:\n"
    "  \\Hosts\\Exchange\n"
    "  \\Hosts\\Unix\\web01\n"
    "  \\Hosts\\Backup";
constexpr char kDemoLuns[] =
    "\nLUNs available on this Cell:\n"
    "  1\n"
    "  2\n"
    "  1{1}";

std::string prompted(const std::string& line) {
  return echo(line, "Production");
}

TEST(ObjectsHosts, HostsWithAdaptersModesAndChanges) {
  SimSession server(loopbackAddress(45), "", kDemo);
  REQUIRE_SIM(server);
  const std::vector<std::string> lines = {
      "SELECT SYSTEM Production",
      "ADD HOST \"\\Hosts\\Unix\\db01\" WORLD_WIDE_NAME=2100-00E0-8B05-0001 "
      "WORLD_WIDE_NAME=2100-00E0-8B05-0002 IP=192.0.2.30 COMMENT=\"Database\"",
      "ADD HOST h2 OPERATING_SYSTEM=CUSTOM=0000-0000-0000-0001",
      "ADD HOST h3 OPERATING_SYSTEM=UNKNOWN "
      "WORLD_WIDE_NAME=2100-00E0-8B05-05E1",
      "ADD HOST \"\\Hosts\\Lab\\h4\"",
      "SET HOST \"\\Hosts\\Unix\\db01\" "
      "ADD_WORLD_WIDE_NAME=2100-00E0-8B05-0003",
      "SET HOST \"\\Hosts\\Unix\\db01\" "
      "DELETE_WORLD_WIDE_NAME=2100-00E0-8B05-0001",
      "SET HOST \\Hosts\\h2 OPERATING_SYSTEM=UNKNOWN COMMENT=\"Spare\" "
      "IP=192.0.2.31",
      "SET HOST \\Hosts\\h2 NAME=h2b",
      "SHOW HOST",
      "SHOW HOST \\Hosts\\h2b",
      "SHOW WORLD_WIDE_NAME",
  };
  SessionRun run = runDemo(server, lines);
  EXPECT_OUTPUT(
      echo(lines[0]) + prompted(lines[1]) + prompted(lines[2]) +
          prompted(lines[3]) +
          "\nError: Adapter world wide name already in use: "
          "2100-00E0-8B05-05E1" +
          prompted(lines[4]) + "\nError: \\Hosts\\Lab\\ not found" +
          prompted(lines[5]) + prompted(lines[6]) + prompted(lines[7]) +
          prompted(lines[8]) + prompted(lines[9]) + kDemoHosts +
          "\n  \\Hosts\\Unix\\db01\n  \\Hosts\\h2b" + prompted(lines[10]) +
          "\n\\Hosts\\h2b information:"
          "\n                      Name : \\Hosts\\h2b"
          "\n                        ID : "
          "1400000100000000000000000000000000000043"
          "\n          Operating_system : UNKNOWN"
          "\n                 IPAddress : 192.0.2.31"
          "\n                  Comments : Spare" +
          prompted(lines[11]) +
          "\nWorld_Wide_Names available on this Cell:"
          "\n  5000-1FE1-5000-A9F0\n  1000-0000-C920-A5B6"
          "\n  1000-0000-C920-A5B7\n  2100-00E0-8B05-05E1"
          "\n  2100-00E0-8B05-0002\n  2100-00E0-8B05-0003",
      run.output);
  const std::string system = kSystem;
  const std::string db01 = "ID=\"1400000100000000000000000000000000000041\" ";
  const std::string h2 = "ID=\"1400000100000000000000000000000000000043\" ";
  EXPECT_EQ(
      servedOperations(server),
      (std::vector<std::string>{
          "Create StorageClient [" + system +
              " Type=\"StorageClient\" "
              "FolderID=\"110000010000000000000000000000000000000B\" "
              "comments=\"Database\" StorageClientIP=\"192.0.2.30\" "
              "StorageClientAdapterID=\"2100-00E0-8B05-0002\" "
              "StorageClientAdapterID=\"2100-00E0-8B05-0001\" Name=\"db01\" "
              "StorageClientMode=\"0\"] -> ok",
          "Create StorageClient [" + system +
              " Type=\"StorageClient\" Name=\"h2\" "
              "StorageClientMode=\"CUSTOM=0000-0000-0000-0001\"] -> ok",
          "Create StorageClient [" + system +
              " Type=\"StorageClient\" "
              "StorageClientAdapterID=\"2100-00E0-8B05-05E1\" Name=\"h3\" "
              "StorageClientMode=\"UNKNOWN\"] -> 5053 Adapter world wide name "
              "already in use: 2100-00E0-8B05-05E1",
          "Set StorageClient [" + db01 + system +
              " Type=\"StorageClient\" "
              "StorageClientAdapterID=\"2100-00E0-8B05-0003\" "
              "Operation=\"addAdapterID\"] -> ok",
          "Set StorageClient [" + db01 + system +
              " Type=\"StorageClient\" "
              "StorageClientAdapterID=\"2100-00E0-8B05-0001\" "
              "Operation=\"deleteAdapterID\"] -> ok",
          "Set StorageClient [" + h2 + system +
              " Type=\"StorageClient\" StorageClientIP=\"192.0.2.31\" "
              "comments=\"Spare\" StorageClientMode=\"UNKNOWN\"] -> ok",
          "Set StorageClient [" + h2 + system +
              " Type=\"StorageClient\" Name=\"h2b\"] -> ok",
          "Get StorageClient [" + h2 + system +
              " Type=\"StorageClient\"] -> ok",
      }));
}

TEST(ObjectsHosts, LunsPresentDisksToHosts) {
  SimSession server(loopbackAddress(46), "", kDemo);
  REQUIRE_SIM(server);
  const std::string scratch = "\"\\Virtual Disks\\scratch\\ACTIVE\"";
  const std::vector<std::string> lines = {
      "SELECT SYSTEM Production",
      "ADD LUN 3",
      "ADD LUN 3 VDISK=" + scratch,
      "ADD LUN 3 HOST=\\Hosts\\Backup",
      "ADD LUN 3 HOST=\\Hosts\\Nobody VDISK=" + scratch,
      "ADD LUN 3 HOST=\\Hosts\\Backup STORAGE=" + scratch,
      "ADD LUN 3 VDISK=\"\\Virtual Disks\\archive01\\ACTIVE\" "
      "HOST=\\Hosts\\Backup",
      "SHOW LUN",
      "DELETE HOST \\Hosts\\Backup",
      "DELETE LUN 3",
      "DELETE HOST \\Hosts\\Backup",
      "SHOW LUN",
      "SHOW HOST",
  };
  SessionRun run = runDemo(server, lines);
  EXPECT_OUTPUT(
      echo(lines[0]) + prompted(lines[1]) + "\nError: Host must be specified" +
          prompted(lines[2]) + "\nError: Host must be specified" +
          prompted(lines[3]) + "\nError: Vdisk must be specified" +
          prompted(lines[4]) + "\nError: \\Hosts\\Nobody not found" +
          prompted(lines[5]) + prompted(lines[6]) +
          "\nError: LUN number already in use for this host: 3 on "
          "\\Hosts\\Backup" +
          prompted(lines[7]) + kDemoLuns + "\n  3" + prompted(lines[8]) +
          "\nError: Host has virtual disks presented, delete its LUNs first: "
          "\\Hosts\\Backup" +
          prompted(lines[9]) + prompted(lines[10]) + prompted(lines[11]) +
          kDemoLuns + prompted(lines[12]) +
          "\nHosts available on this Cell:\n  \\Hosts\\Exchange\n"
          "  \\Hosts\\Unix\\web01",
      run.output);
  const std::string system = kSystem;
  const std::string backup =
      "StorageClientID=\"1400000100000000000000000000000000000034\"";
  const std::string backupId =
      "ID=\"1400000100000000000000000000000000000034\" ";
  EXPECT_EQ(
      servedOperations(server),
      (std::vector<std::string>{
          "Create PresentedUnit [" + system +
              " Type=\"PresentedUnit\" "
              "StorageID=\"1500000100000000000000000000000000000039\" " +
              backup + " LUN=\"3\"] -> ok",
          "Create PresentedUnit [" + system +
              " Type=\"PresentedUnit\" "
              "StorageID=\"150000010000000000000000000000000000003A\" " +
              backup +
              " LUN=\"3\"] -> 5050 LUN number already in use for this host: "
              "3 on \\Hosts\\Backup",
          "Delete StorageClient [" + backupId + system +
              " Type=\"StorageClient\"] -> 5052 Host has virtual disks "
              "presented, delete its LUNs first: \\Hosts\\Backup",
          "Delete PresentedUnit "
          "[ID=\"1600000100000000000000000000000000000041\" " +
              system + " Type=\"PresentedUnit\"] -> ok",
          "Delete StorageClient [" + backupId + system +
              " Type=\"StorageClient\"] -> ok",
      }));
}

}  // namespace
}  // namespace e2e
