// The lab-array example script runs as an administrator would run it on
// the demo scenario: with ON_ERROR=HALT_ON_ERROR every command must
// succeed, and the SHOW commands at its end list what it built.
#include <gtest/gtest.h>

#include <algorithm>

#include "demo_session.h"
#include "pelk_runner.h"
#include "support/loopback.h"

namespace e2e {
namespace {

using testing_support::loopbackAddress;

const std::string kScript = PELK_SOURCE_DIR "/examples/lab-array.pelk";

// Everything the script prints from its closing SHOW commands on.
const std::string kFinalState =
    "\nLab> ! What the lab array holds now.\n"
    "\nLab> SHOW SYSTEM\n"
    "\nSystems available on this Manager:\n  Production\n  Lab\n  DR Site"
    "\nLab> SHOW DISK_GROUP\n"
    "\nDisk_Groups available on this Cell:\n"
    "  \\Disk Groups\\Default Disk Group\n  \\Disk Groups\\Bulk"
    "\nLab> SHOW FOLDER\n"
    "\nFolders available on this Cell:\n  \\Virtual Disks\\\n  \\Hosts\\\n"
    "  \\Disk Groups\\\n  \\Data Replication\\\n  \\Virtual Disks\\Apps\\\n"
    "  \\Hosts\\Lab\\"
    "\nLab> SHOW HOST\n"
    "\nHosts available on this Cell:\n  \\Hosts\\Lab\\app01"
    "\nLab> SHOW HOST \"\\Hosts\\Lab\\app01\"\n"
    "\n\\Hosts\\Lab\\app01 information:"
    "\n                      Name : \\Hosts\\Lab\\app01"
    "\n                        ID : 1400000200000000000000000000000000000029"
    "\n          Operating_system : VALMER"
    "\n                 IPAddress : 192.0.2.50"
    "\n                  Comments : Database server"
    "\n  Port [0]:"
    "\n                        Port : 2100-00E0-8B05-1002"
    "\n                  Port_State : online"
    "\n  Port [1]:"
    "\n                        Port : 2100-00E0-8B05-1001"
    "\n                  Port_State : online"
    "\n  Presentation [0]:"
    "\n                         Lun : 1"
    "\n                 StorageName : \\Virtual Disks\\Apps\\db\\ACTIVE"
    "\n  Presentation [1]:"
    "\n                         Lun : 2"
    "\n                 StorageName : \\Virtual Disks\\Apps\\logs\\ACTIVE"
    "\nLab> SHOW VDISK\n"
    "\nVdisks available on this Cell:\n"
    "  \\Virtual Disks\\Apps\\db\\ACTIVE\n"
    "  \\Virtual Disks\\Apps\\logs\\ACTIVE\n"
    "  \\Virtual Disks\\Apps\\db\\nightly\n"
    "  \\Virtual Disks\\Apps\\dbcopy\\ACTIVE"
    "\nLab> SHOW LUN\n"
    "\nLUNs available on this Cell:\n  1\n  2"
    "\nLab> SHOW DR_GROUP\n"
    "\nDR_Groups available on this Cell:\n  \\Data Replication\\App DR"
    "\nLab> SHOW DR_GROUP \"\\Data Replication\\App DR\"\n"
    "\n\\Data Replication\\App DR information:"
    "\n                   version : 3.2"
    "\n                statuscode : 0"
    "\n         statusdescription : Operation completed successfully"
    "\n                  objectid : 170000020000000000000000000000000000003E"
    "\n                objectname : \\Data Replication\\App DR"
    "\n                objecttype : drmgroup"
    "\n                   drmmode : source"
    "\n                accessmode : disable"
    "\n                 writemode : synchronous"
    "\n              suspendstate : resume"
    "\n                  failsafe : disabled"
    "\n                  comments : Lab database"
    "\n          operationalstate : good"
    "\n                  objectid : 150000020000000000000000000000000000002D"
    "\n                objectname : \\Virtual Disks\\Apps\\db\\ACTIVE"
    "\n                  objectid : 150000020000000000000000000000000000002F"
    "\n                objectname : \\Virtual Disks\\Apps\\logs\\ACTIVE"
    "\n                   scellid : 1000000300000000000000000000000000000000"
    "\n                 scellname : DR Site"
    "\n             remotegroupid : 170000030000000000000000000000000000001D"
    "\n           remotegroupname : \\Data Replication\\App DR"
    "\nLab> SELECT SYSTEM \"DR Site\"\n"
    "\nDR Site> SHOW VDISK\n"
    "\nVdisks available on this Cell:\n"
    "  \\Virtual Disks\\Mail\\store\\ACTIVE\n"
    "  \\Virtual Disks\\app_db\\ACTIVE\n"
    "  \\Virtual Disks\\app_logs\\ACTIVE"
    "\nDR Site> \n";

bool served(const std::vector<std::string>& operations,
            const std::string& operation) {
  return std::find(operations.begin(), operations.end(), operation) !=
         operations.end();
}

TEST(ObjectsSession, TheLabArrayScriptBuildsEverythingItShows) {
  SimSession server(loopbackAddress(55), "", kDemo);
  REQUIRE_SIM(server);
  SessionRun run = runDemo(server, {"FILE " + kScript});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.output.find("Error"), std::string::npos) << run.output;
  std::size_t state = run.output.find(kFinalState.substr(0, 40));
  ASSERT_NE(state, std::string::npos) << run.output;
  EXPECT_OUTPUT(kFinalState, run.output.substr(state));

  const std::string lab = "1000000200000000000000000000000000000000";
  std::vector<std::string> operations = servedOperations(server);
  EXPECT_TRUE(served(
      operations,
      "Create Element [ID=\"" + lab +
          "\" Type=\"Element\" comments=\"Lab array\" scdisktype=\"Online\" "
          "SparePolicy=\"Single\" DeviceCount=\"8\" Name=\"Lab\"] -> ok"));
  EXPECT_TRUE(served(
      operations,
      "createobject drmgroup [scellid=\"" + lab +
          "\" objectid=\"0808080808080808080808080808080808080808\" "
          "objecttype=\"drmgroup\" objectname=\"App DR\" "
          "destscellid=\"1000000300000000000000000000000000000000\" "
          "virtualdiskid=\"150000020000000000000000000000000000002D\" "
          "remotevirtualdiskname=\"app_db\" "
          "destdiskgroupid=\"130000030000000000000000000000000000000A\" "
          "drmmode=\"source\" drcomments=\"\" writemode=\"synchronous\"] -> "
          "ok"));
  EXPECT_TRUE(served(
      operations,
      "Set Storage [ID=\"150000020000000000000000000000000000002F\" "
      "ElementID=\"" +
          lab +
          "\" Type=\"Storage\" remotevirtualdiskname=\"app_logs\" "
          "scellid=\"" +
          lab +
          "\" destdiskgroupid=\"130000030000000000000000000000000000000A\" "
          "addtogroupid=\"170000020000000000000000000000000000003E\"] -> ok"));
}

}  // namespace
}  // namespace e2e
