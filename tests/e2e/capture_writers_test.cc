// CAPTURE CONFIGURATION against pelk-sim, one small system per rule of the
// writers: the default disk group, the group chosen in its place, folders
// by depth, hosts with several adapters, active virtual disks only, steps
// that turn out unnecessary, and the output with and without files.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "capture_support.h"
#include "pelk_runner.h"
#include "sim_server.h"
#include "support/loopback.h"

namespace e2e {
namespace {

using Lines = std::vector<std::string>;
using testing_support::loopbackAddress;

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
  ScenarioSim sim(loopbackAddress(60), kSoloScenario);
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
    return "\n\n\n" + header(name, loopbackAddress(60), "Solo") + body +
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
                             header("Step1A", loopbackAddress(60), "Solo") +
                             basic + "! \n! PELK CAPTURE script checksum end: ";
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

  // A step that cannot start fails the capture before any file is left.
  run = runAgainst(sim.server(), {"CAPTURE CONFIGURATION other.txt"});
  EXPECT_OUTPUT(echo("CAPTURE CONFIGURATION other.txt") + kMayTakeAwhile +
                    "\nError: Command not valid until a system is selected "
                    "(SELECT SYSTEM)\n    CAPTURE CONFIGURATION Step1A failed",
                run.output);
  run = runAgainst(sim.server(), {"SELECT SYSTEM Solo",
                                  "CAPTURE CONFIGURATION none/solo.txt"});
  EXPECT_OUTPUT(echo("SELECT SYSTEM Solo") +
                    echo("CAPTURE CONFIGURATION none/solo.txt", "Solo") +
                    kMayTakeAwhile +
                    "\nGenerating file none/solo_Step1A.txt\nError: Open of "
                    "none/solo_Step1A.txt failed, No such file or directory"
                    "\n    CAPTURE CONFIGURATION Step1A failed",
                run.output);
}

// Captures the selected system into files named `name` and returns the
// command lines of its Step1A.
Lines captureBasic(ScenarioSim& sim, const std::string& system,
                   const std::string& name) {
  runAgainst(sim.server(), {"SELECT SYSTEM \"" + system + "\"",
                            "CAPTURE CONFIGURATION " + name + ".txt"});
  return commandLines(fileText(sim.file(name + "_Step1A.txt")));
}

// Replays a Step1A script on the uninitialized array `wwn` and prints
// what went wrong, if anything.
std::string replay(ScenarioSim& twin, const std::string& wwn,
                   const std::string& script) {
  SessionRun run =
      runAgainst(twin.server(),
                 {"SELECT SYSTEM " + wwn, "FILE " + script, "SHOW OPTIONS"});
  EXPECT_EQ(0, run.exitStatus);
  std::size_t error = run.output.find("Error");
  return error == std::string::npos ? "" : run.output.substr(error);
}

std::string twinScenario(const std::string& wwn, const std::string& shelves) {
  return "{" + kScenarioManager + R"(, "systems": [{"wwn": ")" + wwn +
         R"(", "initialized": false, "disk_shelves": )" + shelves + "}]}";
}

// No group carries the default name: the group with the most disks (the
// earlier one of two) becomes the system's first group, and keeps its own
// disk type, alarm and comment.
const std::string kGroupShelves =
    R"([{"count": 10, "type": "Near-Online", "capacity_gb": 500},
        {"count": 18, "type": "Online", "capacity_gb": 146}])";
const std::string kGroupsScenario = "{" + kScenarioManager + R"(,
  "systems": [{
    "name": "Groups", "wwn": "5000-1FE1-5000-0061",
    "disk_shelves": )" + kGroupShelves +
                                    R"(,
    "disk_groups": [
      {"name": "\\Disk Groups\\Small", "disks": 8, "spare_policy": "Single",
       "disk_type": "Online", "occupancy_alarm": 70},
      {"name": "\\Disk Groups\\Big1", "disks": 10, "spare_policy": "Double",
       "disk_type": "Near-Online", "occupancy_alarm": 85,
       "comment": "Nearline pool"},
      {"name": "\\Disk Groups\\Big2", "disks": 10, "spare_policy": "Single",
       "disk_type": "Online", "occupancy_alarm": 90}]
  }]})";

TEST(CaptureWriters, TheLargestGroupBecomesTheFirstGroupAndRestores) {
  ScenarioSim sim(loopbackAddress(61), kGroupsScenario);
  ScenarioSim twin(loopbackAddress(62),
                   twinScenario("5000-1FE1-5000-0061", kGroupShelves));
  ASSERT_TRUE(sim.server().listening());
  ASSERT_TRUE(twin.server().listening());
  Lines captured = captureBasic(sim, "Groups", "groups");
  EXPECT_EQ((Lines{
                "SET OPTIONS ON_ERROR=HALT_ON_ERROR",
                "ADD SYSTEM \"Groups\" DEVICE_COUNT=10 SPARE_POLICY=DOUBLE "
                "DISKGROUP_DISKTYPE=NEARONLINE CONSOLE_LUN_ID=0",
                "SELECT SYSTEM \"Groups\"",
                "ADD DISK_GROUP \"\\Disk Groups\\Big2\" DEVICE_COUNT=10 "
                "SPARE_POLICY=SINGLE DISKGROUP_DISKTYPE=ONLINE "
                "OCCUPANCY_ALARM=90",
                "ADD DISK_GROUP \"\\Disk Groups\\Small\" DEVICE_COUNT=8 "
                "SPARE_POLICY=SINGLE DISKGROUP_DISKTYPE=ONLINE "
                "OCCUPANCY_ALARM=70",
                "SET DISK_GROUP \"\\Disk Groups\\Default Disk Group\" "
                "NAME=\"Big1\"",
                "SET DISK_GROUP \"\\Disk Groups\\Big1\" OCCUPANCY_ALARM=85",
                "SET DISK_GROUP \"\\Disk Groups\\Big1\" "
                "COMMENT=\"Nearline pool\"",
            }),
            captured);
  EXPECT_EQ("",
            replay(twin, "5000-1FE1-5000-0061", sim.file("groups_Step1A.txt")));
  // The restored system captures to the same lines; the added groups come
  // newest first, so those two trade places.
  Lines restored = captureBasic(twin, "Groups", "groups");
  std::sort(captured.begin(), captured.end());
  std::sort(restored.begin(), restored.end());
  EXPECT_EQ(captured, restored);
}

// Folders listed parents first but not by depth, a host with a custom mode
// and three adapters in no sorted order, a virtual disk in a sub-folder
// presented to two hosts, and its snapshot.
const std::string kShapesShelves =
    R"([{"count": 12, "type": "Online", "capacity_gb": 146}])";
const std::string kShapesScenario = "{" + kScenarioManager + R"(,
  "systems": [{
    "name": "Shapes", "wwn": "5000-1FE1-5000-0063",
    "disk_shelves": )" + kShapesShelves +
                                    R"(,
    "disk_groups": [{"name": "\\Disk Groups\\Default Disk Group",
                     "disks": 12, "spare_policy": "Single",
                     "disk_type": "Online", "occupancy_alarm": 95}],
    "folders": [{"path": "\\Virtual Disks\\A\\"},
                {"path": "\\Virtual Disks\\A\\B\\", "comment": "Deep"},
                {"path": "\\Virtual Disks\\C\\"},
                {"path": "\\Hosts\\H\\"}],
    "hosts": [{"name": "\\Hosts\\H\\lab1", "os": "CUSTOM=0000-0000-0000-00ab",
               "ip": "10.0.0.7", "comment": "Lab host",
               "ports": ["1000-0000-0000-0003", "1000-0000-0000-0001",
                         "1000-0000-0000-0002"]},
              {"name": "\\Hosts\\h2", "os": "BRASKEL"}],
    "vdisks": [{"name": "\\Virtual Disks\\A\\B\\db\\ACTIVE",
                "group": "\\Disk Groups\\Default Disk Group", "size_gb": 2,
                "redundancy": "Vraid1", "write_protect": "Yes",
                "preferred_path": "Path B-Failover only", "os_unit_id": 7,
                "comment": "Orders"},
               {"name": "\\Virtual Disks\\A\\B\\db\\nightly",
                "snapshot_of": "\\Virtual Disks\\A\\B\\db\\ACTIVE",
                "size_gb": 2, "redundancy": "Vraid1"}],
    "luns": [{"lun": 3, "host": "\\Hosts\\H\\lab1",
              "vdisk": "\\Virtual Disks\\A\\B\\db\\ACTIVE"},
             {"lun": 7, "host": "\\Hosts\\h2",
              "vdisk": "\\Virtual Disks\\A\\B\\db\\ACTIVE"}]
  }]})";

TEST(CaptureWriters, FoldersByDepthHostsAndActiveVdisksRestoreAsCaptured) {
  ScenarioSim sim(loopbackAddress(63), kShapesScenario);
  ScenarioSim twin(loopbackAddress(64),
                   twinScenario("5000-1FE1-5000-0063", kShapesShelves));
  ASSERT_TRUE(sim.server().listening());
  ASSERT_TRUE(twin.server().listening());
  const std::string db = "\"\\Virtual Disks\\A\\B\\db\\ACTIVE\"";
  const std::string lab1 = "\"\\Hosts\\H\\lab1\"";
  Lines captured = captureBasic(sim, "Shapes", "shapes");
  EXPECT_EQ((Lines{
                "SET OPTIONS ON_ERROR=HALT_ON_ERROR",
                "ADD SYSTEM \"Shapes\" DEVICE_COUNT=12 SPARE_POLICY=SINGLE "
                "DISKGROUP_DISKTYPE=ONLINE CONSOLE_LUN_ID=0",
                "SELECT SYSTEM \"Shapes\"",
                "SET DISK_GROUP \"\\Disk Groups\\Default Disk Group\" "
                "OCCUPANCY_ALARM=95",
                "ADD FOLDER \"\\Virtual Disks\\A\"",
                "ADD FOLDER \"\\Virtual Disks\\C\"",
                "ADD FOLDER \"\\Hosts\\H\"",
                "ADD FOLDER \"\\Virtual Disks\\A\\B\" COMMENT=\"Deep\"",
                "ADD HOST " + lab1 +
                    " IP=10.0.0.7 OPERATING_SYSTEM=CUSTOM=0000-0000-0000-00AB "
                    "WORLD_WIDE_NAME=1000-0000-0000-0003 COMMENT=\"Lab host\"",
                "SET HOST " + lab1 + " ADD_WORLD_WIDE_NAME=1000-0000-0000-0001",
                "SET HOST " + lab1 + " ADD_WORLD_WIDE_NAME=1000-0000-0000-0002",
                "ADD HOST \"\\Hosts\\h2\" OPERATING_SYSTEM=BRASKEL",
                "ADD VDISK \"\\Virtual Disks\\A\\B\\db\" "
                "DISK_GROUP=\"\\Disk Groups\\Default Disk Group\" SIZE=2 "
                "REDUNDANCY=VRAID1 MIRRORED_WRITEBACK READ_CACHE WRITE_PROTECT "
                "OS_UNIT_ID=7 PREFERRED_PATH=PATH_B_FAILOVER "
                "WAIT_FOR_COMPLETION COMMENT=\"Orders\"",
                "ADD LUN 3 VDISK=" + db + " HOST=" + lab1,
                "ADD LUN 7 VDISK=" + db + " HOST=\"\\Hosts\\h2\"",
            }),
            captured);
  // The snapshot is in no step, and without DR nothing else is written.
  for (const char* step : {"Step1B", "Step1C", "Step2", "Step3"}) {
    EXPECT_EQ("<missing>",
              fileText(sim.file("shapes_" + std::string(step) + ".txt")));
  }
  EXPECT_EQ("",
            replay(twin, "5000-1FE1-5000-0063", sim.file("shapes_Step1A.txt")));
  EXPECT_EQ(captured, captureBasic(twin, "Shapes", "shapes"));
}

// A DR group of two members between Src and Dst; on Dst the partner of the
// first member is presented to a host.
const std::string kDrSystem = R"(
    "disk_shelves": [{"count": 12, "type": "Online", "capacity_gb": 146}],
    "disk_groups": [{"name": "\\Disk Groups\\Default Disk Group",
                     "disks": 12, "spare_policy": "Single",
                     "disk_type": "Online", "occupancy_alarm": 95}],)";
const std::string kDrScenario = "{" + kScenarioManager + R"(,
  "systems": [
   {"name": "Src", "wwn": "5000-1FE1-5000-0065",)" +
                                kDrSystem + R"(
    "hosts": [{"name": "\\Hosts\\h1", "os": "ORDAN"}],
    "vdisks": [
      {"name": "\\Virtual Disks\\v1\\ACTIVE", "size_gb": 1,
       "group": "\\Disk Groups\\Default Disk Group", "redundancy": "Vraid0",
       "remote_system": "Dst", "remote_vdisk": "\\Virtual Disks\\v1c\\ACTIVE"},
      {"name": "\\Virtual Disks\\v2\\ACTIVE", "size_gb": 1,
       "group": "\\Disk Groups\\Default Disk Group", "redundancy": "Vraid0",
       "remote_system": "Dst", "remote_vdisk": "\\Virtual Disks\\v2c\\ACTIVE"}],
    "luns": [{"lun": 1, "host": "\\Hosts\\h1",
              "vdisk": "\\Virtual Disks\\v1\\ACTIVE"}],
    "dr_groups": [{"name": "\\Data Replication\\G", "mode": "source",
      "remote_system": "Dst", "remote_group": "\\Data Replication\\G",
      "members": ["\\Virtual Disks\\v1\\ACTIVE", "\\Virtual Disks\\v2\\ACTIVE"],
      "access_mode": "disable", "write_mode": "asynchronous",
      "suspend": "suspend", "failsafe": "enabled"}]},
   {"name": "Dst", "wwn": "5000-1FE1-5000-0066",)" +
                                kDrSystem + R"(
    "hosts": [{"name": "\\Hosts\\hd", "os": "ORDAN"}],
    "vdisks": [
      {"name": "\\Virtual Disks\\v1c\\ACTIVE", "size_gb": 1,
       "group": "\\Disk Groups\\Default Disk Group", "redundancy": "Vraid0",
       "remote_system": "Src", "remote_vdisk": "\\Virtual Disks\\v1\\ACTIVE"},
      {"name": "\\Virtual Disks\\v2c\\ACTIVE", "size_gb": 1,
       "group": "\\Disk Groups\\Default Disk Group", "redundancy": "Vraid0",
       "remote_system": "Src", "remote_vdisk": "\\Virtual Disks\\v2\\ACTIVE"}],
    "luns": [{"lun": 4, "host": "\\Hosts\\hd",
              "vdisk": "\\Virtual Disks\\v1c\\ACTIVE"}],
    "dr_groups": [{"name": "\\Data Replication\\G", "mode": "destination",
      "remote_system": "Src", "remote_group": "\\Data Replication\\G",
      "members": ["\\Virtual Disks\\v1c\\ACTIVE",
                  "\\Virtual Disks\\v2c\\ACTIVE"],
      "access_mode": "disable", "write_mode": "asynchronous",
      "suspend": "suspend", "failsafe": "enabled"}]}
  ]})";

TEST(CaptureWriters, DrSourcesGroupsAndDestinationsGoToTheirOwnSteps) {
  ScenarioSim sim(loopbackAddress(65), kDrScenario);
  ASSERT_TRUE(sim.server().listening());
  runAgainst(sim.server(), {"SELECT SYSTEM Src", "CAPTURE CONFIGURATION src",
                            "SELECT SYSTEM Dst", "CAPTURE CONFIGURATION dst"});
  auto lines = [&](const std::string& file) {
    return commandLines(fileText(sim.file(file)));
  };
  const std::string halt = "SET OPTIONS ON_ERROR=HALT_ON_ERROR";
  const std::string group = "SET DR_GROUP \"\\Data Replication\\G\" ";
  const std::string defaultGroup =
      " DESTINATION_DISK_GROUP=\"\\Disk Groups\\Default Disk Group\"";
  auto addVdisk = [](const std::string& name) {
    return "ADD VDISK \"\\Virtual Disks\\" + name +
           "\" DISK_GROUP=\"\\Disk Groups\\Default Disk Group\" SIZE=1 "
           "REDUNDANCY=VRAID0 MIRRORED_WRITEBACK READ_CACHE NOWRITE_PROTECT "
           "OS_UNIT_ID=0 NOPREFERRED_PATH WAIT_FOR_COMPLETION";
  };
  // DR members are not part of the basic configuration.
  EXPECT_EQ(std::string::npos,
            fileText(sim.file("src_Step1A")).find("ADD VDISK"));
  EXPECT_EQ((Lines{halt, addVdisk("v1"), addVdisk("v2")}), lines("src_Step1B"));
  EXPECT_EQ((Lines{halt,
                   "ADD LUN 1 VDISK=\"\\Virtual Disks\\v1\\ACTIVE\" "
                   "HOST=\"\\Hosts\\h1\""}),
            lines("src_Step1C"));
  EXPECT_EQ(
      (Lines{halt,
             "ADD DR_GROUP \"\\Data Replication\\G\" "
             "DESTINATION_SYSTEM=\"Dst\" "
             "VDISK=\"\\Virtual Disks\\v1\\ACTIVE\" "
             "DESTINATION_VDISK_NAME=\"\\Virtual Disks\\v1c\\ACTIVE\"" +
                 defaultGroup,
             group +
                 "ADD_VDISK=\"\\Virtual Disks\\v2\\ACTIVE\" "
                 "DESTINATION_VDISK_NAME=\"\\Virtual "
                 "Disks\\v2c\\ACTIVE\"" +
                 defaultGroup,
             group + "ACCESSMODE=DISABLE", group + "WRITEMODE=ASYNCHRONOUS",
             group + "SUSPEND", group + "FAILSAFE"}),
      lines("src_Step2"));
  EXPECT_EQ("<missing>", fileText(sim.file("src_Step3")));
  // The destination side: its group and members are the source's to
  // write; only the LUNs of its copies are its own.
  for (const char* step : {"dst_Step1B", "dst_Step1C", "dst_Step2"}) {
    EXPECT_EQ("<missing>", fileText(sim.file(step)));
  }
  EXPECT_EQ((Lines{halt,
                   "ADD LUN 4 VDISK=\"\\Virtual Disks\\v1c\\ACTIVE\" "
                   "HOST=\"\\Hosts\\hd\""}),
            lines("dst_Step3"));

  // With the destination's controllers down its copies cannot be read: the
  // DR step fails and leaves no file, and the session is still on Src.
  SessionRun run = runAgainst(
      sim.server(),
      {"SELECT SYSTEM Dst", "SHUTDOWN \"\\Hardware\\Controller A\" ALL_PEERS",
       "SELECT SYSTEM Src", "CAPTURE CONFIGURATION down", "SHOW VDISK"});
  std::string output = run.output.substr(run.output.find("Step1C complete"));
  EXPECT_OUTPUT(
      "Step1C complete and successful\nGenerating file down_Step2\n.\n"
      "Error: Storage system is not available, both controllers are shut "
      "down: Dst\n"
      "    CAPTURE CONFIGURATION Step2 failed" +
          echo("SHOW VDISK", "Src") +
          "\nVdisks available on this Cell:\n  \\Virtual Disks\\v1\\ACTIVE\n"
          "  \\Virtual Disks\\v2\\ACTIVE",
      output);
  EXPECT_EQ("<missing>", fileText(sim.file("down_Step2")));
  EXPECT_EQ("<missing>", fileText(sim.file("down_Step3")));
}

}  // namespace
}  // namespace e2e
