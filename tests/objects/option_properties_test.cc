// What the object commands record while their line is parsed: the
// properties in the order a request carries them, the names the final
// action resolves, and the range checks that stop a line before anything
// is sent.
#include <gtest/gtest.h>

#include <string>

#include "parse_fixture.h"

namespace objects_test {
namespace {

class OptionPropertiesTest : public ParseFixture {
 protected:
  // The names recorded for the final action, those that are set.
  std::string names() const {
    const session::WorkArea& work = session_.work;
    std::string text;
    const std::pair<const char*, const char*> fields[] = {
        {"object", work.objectNameArg},
        {"group", work.diskGroupArg},
        {"source", work.sourceVdiskArg},
        {"host", work.hostNameArg},
        {"vdisk", work.vdiskNameArg},
        {"destSystem", work.destinationSystemArg},
        {"destGroup", work.destinationGroupArg},
        {"deleteDisk", work.deleteDiskArg},
    };
    for (const auto& [label, value] : fields) {
      if (value != nullptr) text += std::string(label) + "=" + value + " ";
    }
    if (work.addVdiskRequested) text += "addVdisk";
    return text;
  }
};

struct RecordCase {
  const char* line;
  const char* properties;
  const char* names;
};

constexpr char kDrTemplateHead[] =
    "scellid= objectid=0808080808080808080808080808080808080808 "
    "objecttype=drmgroup ";
constexpr char kDrTemplateTail[] =
    "destdiskgroupid=0000000000000000000000000000000000000000 drmmode=source ";

TEST_F(OptionPropertiesTest, VirtualDisksSnapshotsAndCopies) {
  const RecordCase cases[] = {
      // A repeated keyword keeps its place and its last value.
      {"ADD VDISK v SIZE=10 REDUNDANCY=VRAID5 SIZE=20",
       "RedundType=PARITY Size=20 Name=v creationmode=synchronous ",
       "object=v "},
      // Each world wide LUN name is one more element.
      {"ADD VDISK v WORLD_WIDE_LUN_NAME=6000-1 WORLD_WIDE_LUN_NAME=6000-2 "
       "NOWAIT_FOR_COMPLETION",
       "lunwwn=6000-2 lunwwn=6000-1 Name=v creationmode=asynchronous ",
       "object=v "},
      {"ADD STORAGE v MIRRORED_WRITEBACK READ_CACHE WRITE_PROTECT "
       "PREFERRED_PATH=PATH_B_BOTH SIZE=1 DISK_GROUP=g",
       "Size=1 PrefPath=B_BOTH WriteProtect=YES ReadCache=On "
       "WriteCache=Mirrored Write-Back Name=v creationmode=synchronous ",
       "object=v group=g "},
      {"ADD VDISK v NOMIRRORED_WRITEBACK NOREAD_CACHE NOWRITE_PROTECT "
       "NOPREFERRED_PATH REDUNDANCY=VRAID0 GROUP=g",
       "RedundType=NONE PrefPath=NO_PREFERENCE WriteProtect=NO ReadCache=Off "
       "WriteCache=Unmirrored Write-Back Name=v creationmode=synchronous ",
       "object=v group=g "},
      {"SET VDISK v SIZE=65535", "Size=65535 ", "object=v "},
      {"SET VDISK v PREFERRED_PATH=PATH_A_FAILOVER", "PrefPath=A_FAILOVER ",
       "object=v "},
      {"SET VDISK v WORLD_WIDE_LUN_NAME=6000-9", "lunwwn=6000-9 ", "object=v "},
      {"DELETE VDISK v", "deletionmode=asynchronous ", "object=v "},
      {"DELETE VDISK v WAIT_FOR_COMPLETION", "deletionmode=synchronous ",
       "object=v "},
      // Snapshots send no creation mode; copies do not wait by default.
      {"ADD SNAPSHOT s VDISK=v ALLOCATION_POLICY=DEMAND REDUNDANCY=VRAID1",
       "RedundType=MIRROR spaceefficiency=0 Name=s ", "object=s source=v "},
      {"ADD SNAPSHOT s STORAGE=v ALLOCATION_POLICY=FULLY OS_UNIT_ID=3",
       "BraskelID=3 spaceefficiency=1 Name=s ", "object=s source=v "},
      {"ADD COPY c VDISK=v DISK_GROUP=g", "Name=c creationmode=asynchronous ",
       "object=c group=g source=v "},
      {"ADD COPY c WAIT_FOR_COMPLETION v", "Name=c creationmode=synchronous ",
       "object=c source=v "},
  };
  for (const RecordCase& record : cases) {
    SCOPED_TRACE(record.line);
    ASSERT_EQ(parse(record.line), session::ParseOk) << output();
    EXPECT_EQ(properties(), record.properties);
    EXPECT_EQ(names(), record.names);
  }
}

TEST_F(OptionPropertiesTest, SystemsGroupsHostsLunsAndPower) {
  const RecordCase cases[] = {
      {"ADD SYSTEM s DEVICE_COUNT=8 SPARE_POLICY=DOUBLE "
       "DISKGROUP_DISKTYPE=NEARONLINE CONSOLE_LUN_ID=5",
       "BraskelID=5 scdisktype=Near-Online SparePolicy=Double DeviceCount=8 "
       "Name=s ",
       "object=s "},
      {"ADD DISK_GROUP g DEVICE_COUNT=12 OCCUPANCY_ALARM=100 "
       "DISKGROUP_DISKTYPE=ONLINE SPARE_POLICY=NONE",
       "SparePolicy=None diskgrpdisktype=Online occupancyalarmlevel=100 "
       "DeviceCount=12 Name=g ",
       "object=g "},
      // After SPARE_POLICY the options of SET DISK_GROUP follow again.
      {"SET GROUP g SPARE_POLICY=SINGLE OCCUPANCY_ALARM=1",
       "occupancyalarmlevel=1 SparePolicy=Single ", "object=g "},
      {"SET DISK_GROUP g ADD=4", "AddDiskCount=4 ", "object=g "},
      {"SET DISK_GROUP g DELETE=d1", "", "object=g deleteDisk=d1 "},
      // Every adapter is one more element; the mode defaults to "0".
      {"ADD HOST h WORLD_WIDE_NAME=5000-1 WORLD_WIDE_NAME=5000-2 "
       "IP=10.0.0.1",
       "StorageClientIP=10.0.0.1 StorageClientAdapterID=5000-2 "
       "StorageClientAdapterID=5000-1 Name=h StorageClientMode=0 ",
       "object=h "},
      {"ADD HOST h OPERATING_SYSTEM=UNKNOWN",
       "Name=h StorageClientMode=UNKNOWN ", "object=h "},
      {"ADD HOST h OPERATING_SYSTEM=CUSTOM=0000-0000-0000-0001",
       "Name=h StorageClientMode=CUSTOM=0000-0000-0000-0001 ", "object=h "},
      {"ADD HOST h OPERATING_SYSTEM=CUSTOM=FFFFffffFFFFffff",
       "Name=h StorageClientMode=CUSTOM=FFFFffffFFFFffff ", "object=h "},
      {"SET HOST h ADD_WORLD_WIDE_NAME=5000-3",
       "StorageClientAdapterID=5000-3 Operation=addAdapterID ", "object=h "},
      {"SET HOST h DELETE_WORLD_WIDE_NAME=5000-3",
       "StorageClientAdapterID=5000-3 Operation=deleteAdapterID ", "object=h "},
      // Only UNKNOWN lets further host options follow.
      {"SET HOST h OPERATING_SYSTEM=UNKNOWN COMMENT=\"x\" IP=1.2.3.4",
       "StorageClientIP=1.2.3.4 comments=x StorageClientMode=UNKNOWN ",
       "object=h "},
      {"SET HOST h OPERATING_SYSTEM=TEMPLAR", "StorageClientMode=TEMPLAR ",
       "object=h "},
      {"ADD LUN 7 VDISK=v HOST=h", "LUN=7 ", "object=7 host=h vdisk=v "},
      {"ADD LUN 8 STORAGE=v", "LUN=8 ", "object=8 vdisk=v "},
      {"RESTART c1", "Restart=YES ", "object=c1 "},
      {"SHUTDOWN c1", "Restart=NO ", "object=c1 "},
      {"SHUTDOWN c1 ALL_PEERS", "Coupled=YES Restart=NO ", "object=c1 "},
      {"RESTART c1 ALL_PEERS NOALL_PEERS", "Coupled=NO Restart=YES ",
       "object=c1 "},
  };
  for (const RecordCase& record : cases) {
    SCOPED_TRACE(record.line);
    ASSERT_EQ(parse(record.line), session::ParseOk) << output();
    EXPECT_EQ(properties(), record.properties);
    EXPECT_EQ(names(), record.names);
  }
}

TEST_F(OptionPropertiesTest, DrGroupsKeepTheRecordedOrder) {
  const std::string head = kDrTemplateHead;
  const std::string tail = kDrTemplateTail;
  const struct {
    std::string line;
    std::string properties;
    const char* names;
  } cases[] = {
      // Template entries are filled in place, other settings appended.
      {"ADD DR_GROUP d VDISK=v DESTINATION_SYSTEM=s2 "
       "DESTINATION_DISK_GROUP=g2 DESTINATION_VDISK_NAME=r "
       "ACCESSMODE=READONLY WRITEMODE=SYNCHRONOUS COMMENT=\"c\"",
       head +
           "objectname=d destscellid= virtualdiskid= remotevirtualdiskname=r " +
           tail + "drcomments=c accessmode=readonly writemode=synchronous ",
       "object=d vdisk=v destSystem=s2 destGroup=g2 "},
      {"SET DR_GROUP d NOSUSPEND",
       "scellid= objectid= objecttype=drmgroup suspend=resume ", "object=d "},
      {"SET DR_GROUP d FAILOVER",
       "scellid= objectid= objecttype=drmgroup sitefailover= ", "object=d "},
      {"SET DR_GROUP d NOFAILSAFE",
       "scellid= objectid= objecttype=drmgroup failsafe=disable ", "object=d "},
      {"SET DR_GROUP d ACCESSMODE=DISABLE",
       "scellid= objectid= objecttype=drmgroup accessmode=disable ",
       "object=d "},
      // A membership change starts a request of its own.
      {"SET DR_GROUP d ADD_VDISK=v DESTINATION_VDISK_NAME=r "
       "DESTINATION_DISK_GROUP=g2",
       "remotevirtualdiskname=r ", "object=d vdisk=v destGroup=g2 addVdisk"},
      {"SET DR_GROUP d DETACH_VDISK=v", "removefromdrgroup=detach ",
       "object=d vdisk=v "},
      {"SET DR_GROUP d DELETE_VDISK=v", "removefromdrgroup=delete ",
       "object=d vdisk=v "},
  };
  for (const auto& record : cases) {
    SCOPED_TRACE(record.line);
    ASSERT_EQ(parse(record.line), session::ParseOk) << output();
    EXPECT_EQ(properties(), record.properties);
    EXPECT_EQ(names(), record.names);
  }
}

TEST_F(OptionPropertiesTest, OutOfRangeValuesStopTheLine) {
  const std::string longComment = "COMMENT=\"" + std::string(129, 'c') + "\"";
  const struct {
    std::string line;
    std::string output;
  } cases[] = {
      {"ADD VDISK v SIZE=0", "\nError: Minumum size in GB is 1"},
      {"SET VDISK v SIZE=65536", "\nError: Maximum size in GB is 65535"},
      {"ADD DISK_GROUP g OCCUPANCY_ALARM=0",
       "\nError: Occupancy alarm level must be 1 to 100 inclusive"},
      {"SET DISK_GROUP g OCCUPANCY_ALARM=101",
       "\nError: Occupancy alarm level must be 1 to 100 inclusive"},
      {"ADD HOST h OPERATING_SYSTEM=CUSTOM=10000000000000000",
       "\nError: Custom OS mask illegal"},
      {"SET HOST h OPERATING_SYSTEM=CUSTOM=00G1",
       "\nError: Custom OS mask illegal"},
      {"ADD DR_GROUP d " + longComment,
       "\nError: Comment too long, limit 128 characters"},
      {"SET DR_GROUP d COMMENT=\"a,b\"",
       std::string(18 + 25, ' ') + "^" +
           "\nError: Invalid character \",\" in comments at or near here"},
  };
  for (const auto& record : cases) {
    SCOPED_TRACE(record.line);
    EXPECT_EQ(parse(record.line), session::ParseFailed);
    EXPECT_EQ(output(), record.output);
  }
}

}  // namespace
}  // namespace objects_test
