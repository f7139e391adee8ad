// The array's rules, carried out on the demo model in-process: what each
// change does, and that a refused change names its reason and leaves the
// model exactly as it was.
#include "sim/operations.h"

#include <gtest/gtest.h>

#include "sim/answer.h"
#include "sim/demo_scenario.h"
#include "sim/refusals.h"
#include "sim/scenario.h"
#include "sim_client.h"

namespace {

using Props = std::vector<std::pair<std::string, std::string>>;

class Operations : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(sim::LoadScenario(sim::kDemoScenario, model_, error)) << error;
  }

  sim::Answer V1(const std::string& operation, const std::string& type,
                 Props props) {
    sim::OperationRequest request;
    request.operation = operation;
    for (auto& [name, value] : props)
      request.properties.push_back({name, value});
    request.properties.push_back({"Type", type});
    return sim::Execute(model_, request);
  }

  sim::Answer OnProduction(const std::string& operation,
                           const std::string& type, Props props) {
    props.insert(props.begin(), {"ElementID", simtest::kProduction});
    return V1(operation, type, std::move(props));
  }

  // The rendered list or details, for reading values out.
  std::string Get(const std::string& type, const std::string& id = "",
                  const char* system = simtest::kProduction) {
    return sim::RenderV1(V1("Get", type, {{"ElementID", system}, {"ID", id}}),
                         true);
  }

  // The identifier listed under `name`.
  std::string IdOf(const std::string& type, const std::string& name,
                   const char* system = simtest::kProduction) {
    std::string list = Get(type, "", system);
    auto names = simtest::Values(list, "Name");
    auto ids = simtest::Values(list, "ID");
    for (size_t i = 0; i < names.size() && i < ids.size(); ++i) {
      if (names[i] == name) return ids[i];
    }
    return "";
  }

  sim::Model model_;
};

TEST_F(Operations, CreatedVirtualDiskIsListedWithItsDetails) {
  std::string folder = IdOf("Folder", "\\Virtual Disks\\Finance\\");
  sim::Answer created = OnProduction("Create", "Storage",
                                     {{"Name", "payroll"},
                                      {"FolderID", folder},
                                      {"Size", "10"},
                                      {"RedundType", "MIRROR"},
                                      {"ReadCache", "Off"},
                                      {"PrefPath", "A_BOTH"},
                                      {"creationmode", "synchronous"}});
  ASSERT_EQ(created.status, 0) << created.message;
  std::string id = IdOf("Storage", "\\Virtual Disks\\Finance\\payroll\\ACTIVE");
  ASSERT_FALSE(id.empty());
  std::string details = Get("Storage", id);
  EXPECT_EQ(simtest::Values(details, "Capacity_Req"),
            std::vector<std::string>{"10 GB"});
  EXPECT_EQ(simtest::Values(details, "Redundancy"),
            std::vector<std::string>{"Vraid1"});
  EXPECT_EQ(simtest::Values(details, "Read_cache_Policy"),
            std::vector<std::string>{"Off"});
  EXPECT_EQ(simtest::Values(details, "Preferred_path"),
            std::vector<std::string>{"Path A-Failover/failback"});
  EXPECT_EQ(simtest::Values(details, "Disk_Group"),
            std::vector<std::string>{"\\Disk Groups\\Default Disk Group"});
  EXPECT_EQ(simtest::Values(details, "drmmode"), std::vector<std::string>{""});
}

TEST_F(Operations, InitializesTheUninitializedArray) {
  sim::Answer answer = V1("Create", "Element",
                          {{"ID", simtest::kUninitialized},
                           {"Name", "Lab"},
                           {"DeviceCount", "10"},
                           {"SparePolicy", "Double"},
                           {"scdisktype", "Online"},
                           {"BraskelID", "7"}});
  ASSERT_EQ(answer.status, 0) << answer.message;
  EXPECT_EQ(IdOf("Element", "Lab"), simtest::kUninitialized);
  std::string group = IdOf("DiskGroup", "\\Disk Groups\\Default Disk Group",
                           simtest::kUninitialized);
  std::string details = Get("DiskGroup", group, simtest::kUninitialized);
  EXPECT_EQ(simtest::Values(details, "Total_Disks"),
            std::vector<std::string>{"10"});
  EXPECT_EQ(simtest::Values(details, "Disk_Failure_Protection_Level"),
            std::vector<std::string>{"Double"});
  EXPECT_EQ(simtest::Values(details, "Occupancy_Alarm_Level"),
            std::vector<std::string>{"95 %"});
  EXPECT_EQ(simtest::Values(Get("Element", simtest::kUninitialized),
                            "Console_LUN_ID"),
            std::vector<std::string>{"7"});
  EXPECT_FALSE(IdOf("Folder", "\\Hosts\\", simtest::kUninitialized).empty());
}

TEST_F(Operations, PresentsAndUnpresentsVirtualDisks) {
  std::string host = IdOf("StorageClient", "\\Hosts\\Backup");
  std::string vdisk = IdOf("Storage", "\\Virtual Disks\\scratch\\ACTIVE");
  sim::Answer lun = OnProduction(
      "Create", "PresentedUnit",
      {{"LUN", "5"}, {"StorageClientID", host}, {"StorageID", vdisk}});
  ASSERT_EQ(lun.status, 0) << lun.message;
  std::string details = Get("Storage", vdisk);
  EXPECT_EQ(simtest::Values(details, "Lun"), std::vector<std::string>{"5"});
  EXPECT_EQ(simtest::Values(details, "StorageClientName"),
            std::vector<std::string>{"\\Hosts\\Backup"});
  std::string lunId = simtest::Values(sim::RenderV1(lun, false), "ID").at(0);
  ASSERT_EQ(OnProduction("Delete", "PresentedUnit", {{"ID", lunId}}).status, 0);
  EXPECT_EQ(OnProduction("Delete", "Storage",
                         {{"ID", vdisk}, {"deletionmode", "synchronous"}})
                .status,
            0);
  EXPECT_TRUE(IdOf("Storage", "\\Virtual Disks\\scratch\\ACTIVE").empty());
}

TEST_F(Operations, ManagesHostAdapters) {
  std::string host = IdOf("StorageClient", "\\Hosts\\Backup");
  ASSERT_EQ(OnProduction("Set", "StorageClient",
                         {{"ID", host},
                          {"Operation", "addAdapterID"},
                          {"StorageClientAdapterID", "5000a0b1c2d3e4f5"}})
                .status,
            0);
  EXPECT_EQ(simtest::Values(Get("StorageClient", host), "Port"),
            std::vector<std::string>{"5000-A0B1-C2D3-E4F5"});
  ASSERT_EQ(OnProduction("Set", "StorageClient",
                         {{"ID", host},
                          {"Operation", "deleteAdapterID"},
                          {"StorageClientAdapterID", "5000-A0B1-C2D3-E4F5"}})
                .status,
            0);
  EXPECT_TRUE(simtest::Values(Get("StorageClient", host), "Port").empty());
}

TEST_F(Operations, SnapshotsAndCopiesFollowTheirSource) {
  std::string source = IdOf("Storage", "\\Virtual Disks\\scratch\\ACTIVE");
  ASSERT_EQ(
      OnProduction(
          "Copy", "Snapshot",
          {{"StorageID", source}, {"Name", "snap1"}, {"spaceefficiency", "0"}})
          .status,
      0);
  std::string snapshot = IdOf("Storage", "\\Virtual Disks\\scratch\\snap1");
  ASSERT_FALSE(snapshot.empty());
  EXPECT_EQ(simtest::Values(Get("Storage", snapshot), "Allocation_Policy"),
            std::vector<std::string>{"demand"});
  ASSERT_EQ(OnProduction("Copy", "Clone",
                         {{"StorageID", source},
                          {"Name", "scratch2"},
                          {"creationmode", "asynchronous"}})
                .status,
            0);
  std::string copy = IdOf("Storage", "\\Virtual Disks\\scratch2\\ACTIVE");
  ASSERT_FALSE(copy.empty());
  EXPECT_EQ(simtest::Values(Get("Storage", copy), "Capacity_Req"),
            std::vector<std::string>{"5 GB"});
  // A source with snapshots stays until they are gone.
  EXPECT_EQ(OnProduction("Delete", "Storage", {{"ID", source}}).status,
            sim::RefusalNumber(sim::Refusal::kVdiskHasSnapshots));
  ASSERT_EQ(OnProduction("Delete", "Storage", {{"ID", snapshot}}).status, 0);
  EXPECT_EQ(OnProduction("Delete", "Storage", {{"ID", source}}).status, 0);
}

TEST_F(Operations, DeletingAPresentedVdiskTakesItsLuns) {
  std::string reports =
      IdOf("Storage", "\\Virtual Disks\\Finance\\reports\\ACTIVE");
  ASSERT_EQ(OnProduction(
                "Create", "PresentedUnit",
                {{"LUN", "7"},
                 {"StorageClientID", IdOf("StorageClient", "\\Hosts\\Backup")},
                 {"StorageID", reports}})
                .status,
            0);
  size_t luns = simtest::Values(Get("PresentedUnit"), "Name").size();
  sim::Answer deleted = OnProduction("Delete", "Storage", {{"ID", reports}});
  ASSERT_EQ(deleted.status, 0) << deleted.message;
  EXPECT_EQ(deleted.message,
            "Virtual disk \\Virtual Disks\\Finance\\reports\\ACTIVE deleted "
            "with its 2 LUNs");
  EXPECT_TRUE(
      IdOf("Storage", "\\Virtual Disks\\Finance\\reports\\ACTIVE").empty());
  EXPECT_EQ(simtest::Values(Get("PresentedUnit"), "Name").size(), luns - 2);
  // The hosts present nothing that is gone.
  EXPECT_TRUE(simtest::Values(Get("StorageClient",
                                  IdOf("StorageClient", "\\Hosts\\Backup")),
                              "StorageName")
                  .empty());
}

TEST_F(Operations, AnUngroupedDiskIsNamedAsSuch) {
  sim::Answer refused =
      OnProduction("Set", "DiskGroup",
                   {{"ID", IdOf("DiskGroup", "\\Disk Groups\\Archive")},
                    {"DeleteDiskID", IdOf("Disk", "Disk 036")}});
  EXPECT_EQ(refused.message,
            "Disk is not in the disk group: Disk 036 is ungrouped");
  refused = OnProduction("Set", "DiskGroup",
                         {{"ID", IdOf("DiskGroup", "\\Disk Groups\\Archive")},
                          {"DeleteDiskID", IdOf("Disk", "Disk 001")}});
  EXPECT_EQ(refused.message,
            "Disk is not in the disk group: Disk 001 is in \\Disk "
            "Groups\\Default Disk Group");
}

TEST_F(Operations, DiskGroupsTakeAndReleaseDisks) {
  sim::Answer created =
      OnProduction("Create", "DiskGroup",
                   {{"Name", "Gold"},
                    {"DeviceCount", "8"},
                    {"diskgrpdisktype", "Online"},
                    {"occupancyalarmlevel", "80"},
                    {"FolderID", IdOf("Folder", "\\Disk Groups\\")}});
  ASSERT_EQ(created.status, 0) << created.message;
  std::string group = IdOf("DiskGroup", "\\Disk Groups\\Gold");
  ASSERT_EQ(
      OnProduction("Set", "DiskGroup", {{"ID", group}, {"AddDiskCount", "2"}})
          .status,
      0);
  EXPECT_EQ(simtest::Values(Get("DiskGroup", group), "Total_Disks"),
            std::vector<std::string>{"10"});
  std::string disk = simtest::Values(Get("DiskGroup", group), "Disk_ID").at(0);
  ASSERT_EQ(
      OnProduction("Set", "DiskGroup", {{"ID", group}, {"DeleteDiskID", disk}})
          .status,
      0);
  EXPECT_EQ(simtest::Values(Get("Disk", disk), "Disk_Group"),
            std::vector<std::string>{"Ungrouped Disks"});
  ASSERT_EQ(OnProduction("Delete", "DiskGroup", {{"ID", group}}).status, 0);
}

TEST_F(Operations, FoldersNestAndMustBeEmptyToGo) {
  std::string parent = IdOf("Folder", "\\Hosts\\Unix\\");
  ASSERT_EQ(
      OnProduction("Create", "Folder", {{"ID", parent}, {"Name", "Linux"}})
          .status,
      0);
  std::string folder = IdOf("Folder", "\\Hosts\\Unix\\Linux\\");
  ASSERT_FALSE(folder.empty());
  ASSERT_EQ(
      OnProduction(
          "Create", "StorageClient",
          {{"Name", "db01"}, {"FolderID", folder}, {"StorageClientMode", "0"}})
          .status,
      0);
  EXPECT_EQ(
      simtest::Values(Get("StorageClient",
                          IdOf("StorageClient", "\\Hosts\\Unix\\Linux\\db01")),
                      "Operating_system"),
      std::vector<std::string>{"UNKNOWN"});
  EXPECT_EQ(OnProduction("Delete", "Folder", {{"ID", folder}}).status,
            sim::RefusalNumber(sim::Refusal::kFolderNotEmpty));
  ASSERT_EQ(
      OnProduction("Set", "Folder", {{"ID", parent}, {"Name", "Posix"}}).status,
      0);
  EXPECT_FALSE(IdOf("StorageClient", "\\Hosts\\Posix\\Linux\\db01").empty());
}

TEST_F(Operations, PowerAndMonitorsChange) {
  std::string a = IdOf("Power", "\\Hardware\\Controller A");
  ASSERT_EQ(OnProduction("Set", "Power",
                         {{"ID", a}, {"Restart", "NO"}, {"Coupled", "YES"}})
                .status,
            0);
  // With both controllers shut down only the controllers answer.
  EXPECT_EQ(OnProduction("Get", "StorageClient", {{"ID", ""}}).status,
            sim::RefusalNumber(sim::Refusal::kControllersDown));
  ASSERT_EQ(
      OnProduction("Set", "Power", {{"ID", a}, {"Restart", "YES"}}).status, 0);
  EXPECT_EQ(OnProduction("Get", "StorageClient", {{"ID", ""}}).status, 0);
  std::string monitor = IdOf("Monitor", "Disk Enclosure Monitor");
  ASSERT_EQ(
      OnProduction("Set", "Monitor", {{"ID", monitor}, {"comments", "rack 4"}})
          .status,
      0);
  EXPECT_EQ(simtest::Values(Get("Monitor", monitor), "Comments"),
            std::vector<std::string>{"rack 4"});
}

TEST_F(Operations, ChangesAreRecordedAsManagementEvents) {
  size_t before = simtest::Values(Get("ManagementEvents"), "Name").size();
  ASSERT_EQ(OnProduction("Create", "StorageClient", {{"Name", "h9"}}).status,
            0);
  EXPECT_EQ(simtest::Values(Get("ManagementEvents"), "Name").size(),
            before + 1);
}

// Every refused change names its reason and leaves the model as it was.
TEST_F(Operations, RefusedChangesLeaveTheModelUntouched) {
  std::string exchange = IdOf("StorageClient", "\\Hosts\\Exchange");
  std::string ledger =
      IdOf("Storage", "\\Virtual Disks\\Finance\\ledger\\ACTIVE");
  std::string scratch = IdOf("Storage", "\\Virtual Disks\\scratch\\ACTIVE");
  std::string archive = IdOf("DiskGroup", "\\Disk Groups\\Archive");
  std::string defaultGroup =
      IdOf("DiskGroup", "\\Disk Groups\\Default Disk Group");
  std::string vdiskRoot = IdOf("Folder", "\\Virtual Disks\\");
  std::string hostRoot = IdOf("Folder", "\\Hosts\\");
  std::string groupFolder = IdOf("Folder", "\\Disk Groups\\");
  using R = sim::Refusal;
  const struct {
    const char* what;
    std::string operation, type;
    Props props;
    R reason;
  } cases[] = {
      {"name in use in the folder",
       "Create",
       "Storage",
       {{"Name", "scratch"}, {"Size", "1"}},
       R::kNameInUse},
      {"name too long",
       "Create",
       "Storage",
       {{"Name", std::string(33, 'n')}, {"Size", "1"}},
       R::kInvalidName},
      {"forbidden character",
       "Create",
       "StorageClient",
       {{"Name", "a,b"}},
       R::kInvalidName},
      {"size zero",
       "Create",
       "Storage",
       {{"Name", "v"}, {"Size", "0"}},
       R::kInvalidValue},
      {"size beyond the limit",
       "Create",
       "Storage",
       {{"Name", "v"}, {"Size", "65536"}},
       R::kInvalidValue},
      {"missing size",
       "Create",
       "Storage",
       {{"Name", "v"}},
       R::kMissingProperty},
      {"unknown disk group",
       "Create",
       "Storage",
       {{"Name", "v"}, {"Size", "1"}, {"GroupID", "nope"}},
       R::kNoSuchObject},
      {"more than the group holds",
       "Create",
       "Storage",
       {{"Name", "v"}, {"Size", "5000"}, {"GroupID", archive}},
       R::kNoCapacity},
      {"vdisk in a host folder",
       "Create",
       "Storage",
       {{"Name", "v"}, {"Size", "1"}, {"FolderID", hostRoot}},
       R::kWrongFolder},
      {"bad redundancy",
       "Create",
       "Storage",
       {{"Name", "v"}, {"Size", "1"}, {"RedundType", "RAID6"}},
       R::kInvalidValue},
      {"comment too long",
       "Set",
       "Storage",
       {{"ID", scratch}, {"comments", std::string(129, 'c')}},
       R::kInvalidComment},
      {"two world wide LUN names",
       "Create",
       "Storage",
       {{"Name", "v"},
        {"Size", "1"},
        {"lunwwn", "6000-0000-0000-0000-0000-0000-0000-0001"},
        {"lunwwn", "6000-0000-0000-0000-0000-0000-0000-0002"}},
       R::kInvalidValue},
      {"shrinking",
       "Set",
       "Storage",
       {{"ID", ledger}, {"Size", "5"}},
       R::kCannotShrink},
      {"deleting a vdisk with snapshots",
       "Delete",
       "Storage",
       {{"ID", ledger}},
       R::kVdiskHasSnapshots},
      {"snapshot named like the active disk",
       "Copy",
       "Snapshot",
       {{"StorageID", scratch}, {"Name", "ACTIVE"}},
       R::kNameInUse},
      {"snapshot named like another snapshot of its source",
       "Copy",
       "Snapshot",
       {{"StorageID", ledger}, {"Name", "nightly"}},
       R::kNameInUse},
      {"snapshot renamed like the active disk",
       "Set",
       "Storage",
       {{"ID", IdOf("Storage", "\\Virtual Disks\\Finance\\ledger\\nightly")},
        {"Name", "ACTIVE"}},
       R::kNameInUse},
      {"copy named like its source's family",
       "Copy",
       "Clone",
       {{"StorageID", scratch}, {"Name", "scratch"}},
       R::kNameInUse},
      {"LUN number taken on the host",
       "Create",
       "PresentedUnit",
       {{"LUN", "1"}, {"StorageClientID", exchange}, {"StorageID", scratch}},
       R::kLunInUse},
      {"LUN zero",
       "Create",
       "PresentedUnit",
       {{"LUN", "0"}, {"StorageClientID", exchange}, {"StorageID", scratch}},
       R::kInvalidValue},
      {"presented twice to one host",
       "Create",
       "PresentedUnit",
       {{"LUN", "9"}, {"StorageClientID", exchange}, {"StorageID", ledger}},
       R::kAlreadyPresented},
      {"deleting a host with LUNs",
       "Delete",
       "StorageClient",
       {{"ID", exchange}},
       R::kHostPresented},
      {"adapter of another host",
       "Create",
       "StorageClient",
       {{"Name", "h2"}, {"StorageClientAdapterID", "1000-0000-C920-A5B6"}},
       R::kAdapterInUse},
      {"malformed adapter",
       "Create",
       "StorageClient",
       {{"Name", "h2"}, {"StorageClientAdapterID", "12-34"}},
       R::kInvalidValue},
      {"unknown host mode",
       "Create",
       "StorageClient",
       {{"Name", "h2"}, {"StorageClientMode", "PLAN9"}},
       R::kInvalidValue},
      {"custom mask of 17 digits",
       "Create",
       "StorageClient",
       {{"Name", "h2"}, {"StorageClientMode", "CUSTOM=1-0000-0000-0000-0000"}},
       R::kInvalidValue},
      {"removing an adapter it lacks",
       "Set",
       "StorageClient",
       {{"ID", exchange},
        {"Operation", "deleteAdapterID"},
        {"StorageClientAdapterID", "1000-0000-0000-0009"}},
       R::kNoSuchAdapter},
      {"group with vdisks",
       "Delete",
       "DiskGroup",
       {{"ID", defaultGroup}},
       R::kGroupInUse},
      {"group of seven disks",
       "Create",
       "DiskGroup",
       {{"Name", "g"}, {"DeviceCount", "7"}, {"FolderID", groupFolder}},
       R::kTooFewDisks},
      {"more disks than are free",
       "Create",
       "DiskGroup",
       {{"Name", "g"}, {"DeviceCount", "30"}, {"FolderID", groupFolder}},
       R::kNotEnoughDisks},
      {"alarm level 101",
       "Set",
       "DiskGroup",
       {{"ID", archive}, {"occupancyalarmlevel", "101"}},
       R::kInvalidValue},
      {"removing a disk below the minimum",
       "Set",
       "DiskGroup",
       {{"ID", archive},
        {"DeleteDiskID",
         simtest::Values(Get("DiskGroup", archive), "Disk_ID")[0]}},
       R::kTooFewDisks},
      {"removing a disk the group does not hold",
       "Set",
       "DiskGroup",
       {{"ID", archive}, {"DeleteDiskID", IdOf("Disk", "Disk 036")}},
       R::kDiskNotInGroup},
      {"renaming a root folder",
       "Set",
       "Folder",
       {{"ID", vdiskRoot}, {"Name", "x"}},
       R::kRootFolder},
      {"deleting a root folder",
       "Delete",
       "Folder",
       {{"ID", hostRoot}},
       R::kRootFolder},
      {"folder below the disk groups",
       "Create",
       "Folder",
       {{"ID", groupFolder}, {"Name", "x"}},
       R::kWrongFolder},
      {"snapshot of a snapshot",
       "Copy",
       "Snapshot",
       {{"StorageID",
         IdOf("Storage", "\\Virtual Disks\\Finance\\ledger\\nightly")},
        {"Name", "s"}},
       R::kNotActive},
      {"unknown operation", "Copy", "Folder", {}, R::kUnsupportedOperation},
      {"initializing an initialized system",
       "Create",
       "Element",
       {{"ID", simtest::kProduction}, {"Name", "x"}},
       R::kAlreadyInitialized},
  };
  std::string before = sim::SaveScenario(model_);
  for (const auto& c : cases) {
    Props props = c.props;
    sim::Answer answer = c.type == "Element"
                             ? V1(c.operation, c.type, props)
                             : OnProduction(c.operation, c.type, props);
    EXPECT_EQ(answer.status, sim::RefusalNumber(c.reason))
        << c.what << ": " << answer.message;
    std::string rendered = sim::RenderV1(answer, false);
    EXPECT_NE(rendered.find("<NotSuccessMsg>"), std::string::npos) << c.what;
    EXPECT_NE(rendered.find("<MessageNum>"), std::string::npos) << c.what;
    EXPECT_TRUE(sim::SaveScenario(model_) == before)
        << c.what << " changed the model";
  }
}

TEST_F(Operations, AnswersStayReadableForUnknownSystemsAndObjects) {
  EXPECT_EQ(
      V1("Get", "StorageClient", {{"ElementID", "nope"}, {"ID", ""}}).status,
      sim::RefusalNumber(sim::Refusal::kNoSuchSystem));
  EXPECT_EQ(V1("Get", "StorageClient", {{"ID", ""}}).status,
            sim::RefusalNumber(sim::Refusal::kMissingProperty));
  EXPECT_EQ(OnProduction("Get", "Storage", {{"ID", "nope"}}).status,
            sim::RefusalNumber(sim::Refusal::kNoSuchObject));
  EXPECT_EQ(V1("Get", "Nonsense", {{"ElementID", simtest::kProduction}}).status,
            sim::RefusalNumber(sim::Refusal::kUnsupportedOperation));
}

}  // namespace
