// DR groups against pelk-sim: the creation template with its placeholders
// and the destination looked up on the destination system, setting
// changes as version-3.2 setproperties, membership changes as a version-1
// Set on the member, and the selected system left alone throughout.
#include <gtest/gtest.h>

#include "demo_session.h"
#include "pelk_runner.h"
#include "support/loopback.h"

namespace e2e {
namespace {

using testing_support::loopbackAddress;

constexpr char kProduction[] = "1000000100000000000000000000000000000000";
constexpr char kDrSite[] = "1000000300000000000000000000000000000000";
constexpr char kReports[] = "\"\\Virtual Disks\\Finance\\reports\\ACTIVE\"";
constexpr char kScratch[] = "\"\\Virtual Disks\\scratch\\ACTIVE\"";
constexpr char kArchive01[] = "\"\\Virtual Disks\\archive01\\ACTIVE\"";

std::string prompted(const std::string& line) {
  return echo(line, "Production");
}

std::string quoted(const std::string& name, const std::string& value) {
  return name + "=\"" + value + "\"";
}

TEST(ObjectsDrGroups, CreateChangeAndDeleteDrGroups) {
  SimSession server(loopbackAddress(49), "", kDemo);
  REQUIRE_SIM(server);
  const std::string finance = "\"\\Data Replication\\Finance\"";
  const std::string ops = "\"\\Data Replication\\Ops\"";
  const std::string reports = kReports, scratch = kScratch,
                    archive01 = kArchive01;
  const std::vector<std::string> lines = {
      "SELECT SYSTEM Production",
      "ADD DR_GROUP Finance VDISK=" + reports,
      "ADD DR_GROUP Finance DESTINATION_SYSTEM=\"DR Site\"",
      "ADD DR_GROUP Finance VDISK=" + reports +
          " DESTINATION_SYSTEM=\"DR Site\" "
          "DESTINATION_DISK_GROUP=\"\\Disk Groups\\Default Disk Group\" "
          "DESTINATION_VDISK_NAME=reports_dr WRITEMODE=ASYNCHRONOUS "
          "COMMENT=\"Finance copy\"",
      "ADD DR_GROUP Ops VDISK=" + scratch +
          " DESTINATION_SYSTEM=\"DR Site\" ACCESSMODE=READONLY",
      "SET DR_GROUP " + finance + " NOSUSPEND",
      "SET DR_GROUP " + ops + " ADD_VDISK=" + archive01 +
          " DESTINATION_VDISK_NAME=archive_dr",
      "SET DR_GROUP " + finance + " DETACH_VDISK=" + scratch,
      "SET DR_GROUP " + ops + " DELETE_VDISK=" + archive01,
      "SHOW DR_GROUP",
      "DELETE DR_GROUP " + ops,
      "SHOW DR_GROUP",
      "SELECT SYSTEM \"DR Site\"",
      "SHOW VDISK",
  };
  SessionRun run = runDemo(server, lines);
  EXPECT_OUTPUT(echo(lines[0]) + prompted(lines[1]) +
                    "\nError: DESTINATION_SYSTEM must be specified" +
                    prompted(lines[2]) + "\nError: VDISK must be specified" +
                    prompted(lines[3]) + prompted(lines[4]) +
                    prompted(lines[5]) + prompted(lines[6]) +
                    prompted(lines[7]) +
                    "\nError: \\Virtual Disks\\scratch\\ACTIVE not a member of "
                    "\\Data Replication\\Finance" +
                    prompted(lines[8]) + prompted(lines[9]) +
                    "\nDR_Groups available on this Cell:\n"
                    "  \\Data Replication\\Mail DR\n"
                    "  \\Data Replication\\Finance\n"
                    "  \\Data Replication\\Ops" +
                    prompted(lines[10]) + prompted(lines[11]) +
                    "\nDR_Groups available on this Cell:\n"
                    "  \\Data Replication\\Mail DR\n"
                    "  \\Data Replication\\Finance" +
                    prompted(lines[12]) + echo(lines[13], "DR Site") +
                    "\nVdisks available on this Cell:\n"
                    "  \\Virtual Disks\\Mail\\store\\ACTIVE\n"
                    "  \\Virtual Disks\\reports_dr\\ACTIVE\n"
                    "  \\Virtual Disks\\scratch\\ACTIVE",
                run.output);
  const std::string production = quoted("scellid", kProduction);
  const std::string financeId =
      quoted("objectid", "1700000100000000000000000000000000000041");
  const std::string opsId = "1700000100000000000000000000000000000043";
  const std::string getOps = "getproperties drmgroup [" + production + " " +
                             quoted("objectid", opsId) +
                             " objecttype=\"drmgroup\"] -> ok";
  const std::string zeros(40, '0');
  EXPECT_EQ(
      servedOperations(server),
      (std::vector<std::string>{
          "createobject drmgroup [" + production +
              " objectid=\"0808080808080808080808080808080808080808\" "
              "objecttype=\"drmgroup\" objectname=\"Finance\" " +
              quoted("destscellid", kDrSite) +
              " virtualdiskid=\"1500000100000000000000000000000000000037\" "
              "remotevirtualdiskname=\"reports_dr\" "
              "destdiskgroupid=\"130000030000000000000000000000000000000A\" "
              "drmmode=\"source\" drcomments=\"Finance copy\" "
              "writemode=\"asynchronous\"] -> ok",
          "createobject drmgroup [" + production +
              " objectid=\"0808080808080808080808080808080808080808\" "
              "objecttype=\"drmgroup\" objectname=\"Ops\" " +
              quoted("destscellid", kDrSite) +
              " virtualdiskid=\"1500000100000000000000000000000000000039\" "
              "remotevirtualdiskname=\"\" " +
              quoted("destdiskgroupid", zeros) +
              " drmmode=\"source\" drcomments=\"\" accessmode=\"readonly\"] "
              "-> ok",
          "setproperties drmgroup [" + production + " " + financeId +
              " objecttype=\"drmgroup\" suspend=\"resume\"] -> ok",
          "Set Storage [ID=\"150000010000000000000000000000000000003A\" "
          "ElementID=\"" +
              std::string(kProduction) +
              "\" Type=\"Storage\" remotevirtualdiskname=\"archive_dr\" " +
              production + " " + quoted("destdiskgroupid", zeros) + " " +
              quoted("addtogroupid", opsId) + "] -> ok",
          "getproperties drmgroup [" + production + " " + financeId +
              " objecttype=\"drmgroup\"] -> ok",
          getOps,
          "Set Storage [ID=\"150000010000000000000000000000000000003A\" "
          "ElementID=\"" +
              std::string(kProduction) +
              "\" Type=\"Storage\" removefromdrgroup=\"delete\" " + production +
              "] -> ok",
          "deleteobject drmgroup [" + production + " " +
              quoted("objectid", opsId) + " objecttype=\"drmgroup\"] -> ok",
      }));
}

// A failed lookup on the destination system gives the selected system
// back: the next commands act on it, not on the destination.
TEST(ObjectsDrGroups, TheDestinationSystemIsOnlyBorrowed) {
  SimSession server(loopbackAddress(50), "", kDemo);
  REQUIRE_SIM(server);
  const std::string archiveGroup = "\"\\Disk Groups\\Archive\"";
  const std::string reports = kReports, scratch = kScratch;
  const std::vector<std::string> lines = {
      "SELECT SYSTEM Production",
      "ADD DR_GROUP Finance VDISK=" + reports +
          " DESTINATION_SYSTEM=\"DR Site\" DESTINATION_DISK_GROUP=" +
          archiveGroup,
      "SET DR_GROUP \"\\Data Replication\\Mail DR\" ADD_VDISK=" + scratch +
          " DESTINATION_DISK_GROUP=" + archiveGroup,
      "ADD VDISK tmp SIZE=1 DISK_GROUP=" + archiveGroup,
  };
  SessionRun run = runDemo(server, lines);
  EXPECT_OUTPUT(
      echo(lines[0]) + prompted(lines[1]) +
          "\nError: \\Disk Groups\\Archive not found" + prompted(lines[2]) +
          "\nError: \\Disk Groups\\Archive not found" + prompted(lines[3]),
      run.output);
  const std::string onProduction =
      "ElementID=\"" + std::string(kProduction) + "\"";
  const std::string onDrSite = "ElementID=\"" + std::string(kDrSite) + "\"";
  const std::string mailDr =
      quoted("objectid", "1700000100000000000000000000000000000040");
  EXPECT_EQ(
      servedOperations(server, true),
      (std::vector<std::string>{
          "Get Element [ID=\"\" Type=\"Element\"] -> ok",
          "Get Storage [ID=\"\" " + onProduction + " Type=\"Storage\"] -> ok",
          "Get Element [ID=\"\" Type=\"Element\"] -> ok",
          "Get DiskGroup [ID=\"\" " + onDrSite + " Type=\"DiskGroup\"] -> ok",
          "Get drmgroup [ID=\"\" " + onProduction + " Type=\"drmgroup\"] -> ok",
          "getproperties drmgroup [scellid=\"" + std::string(kProduction) +
              "\" " + mailDr + " objecttype=\"drmgroup\"] -> ok",
          "Get DiskGroup [ID=\"\" " + onDrSite + " Type=\"DiskGroup\"] -> ok",
          "Get DiskGroup [ID=\"\" " + onProduction +
              " Type=\"DiskGroup\"] -> ok",
          "Create Storage [" + onProduction +
              " Type=\"Storage\" "
              "GroupID=\"130000010000000000000000000000000000000D\" "
              "Size=\"1\" Name=\"tmp\" creationmode=\"synchronous\"] -> ok",
      }));
}

}  // namespace
}  // namespace e2e
