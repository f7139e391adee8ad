// The simulated manager's state: the storage systems it knows and every
// object on them. Objects refer to each other by identifier; full names are
// derived from the folder tree whenever they are needed, so a rename never
// leaves a stale path behind.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

struct Folder {
  std::string id;
  std::string name;      // leaf name
  std::string parentId;  // empty for a root folder
  std::string comment;
};

struct Disk {
  std::string id;
  std::string name;
  std::string type = "Online";  // "Online" or "Near-Online"
  int capacityGb = 146;
  std::string groupId;  // empty while ungrouped
  std::string comment;
};

struct DiskGroup {
  std::string id;
  std::string name;  // leaf name below "\Disk Groups\"
  std::string folderId;
  std::string sparePolicy = "Single";  // "None", "Single" or "Double"
  std::string diskType = "Online";
  int alarmLevel = 95;
  std::string comment;
};

struct Host {
  std::string id;
  std::string name;  // leaf name
  std::string folderId;
  std::string comment;
  std::string ip = "Dynamic IP Assignment";
  std::string mode = "UNKNOWN";    // a mode keyword or "CUSTOM=<mask>"
  std::vector<std::string> ports;  // adapter world wide names, normalised
};

struct Vdisk {
  std::string id;
  std::string name;      // leaf name
  std::string folderId;  // a snapshot shares its source's folder
  std::string groupId;
  std::string snapshotOf;  // the source's id; empty for an active disk
  int sizeGb = 1;
  std::string redundancy = "Vraid5";  // "Vraid0", "Vraid1" or "Vraid5"
  std::string writeCache = "Mirrored write-back";
  std::string readCache = "On";
  std::string writeProtect = "No";
  std::string preferredPath = "No preference";
  int osUnitId = 0;
  std::string comment;
  std::string lunWwn;
  bool demandAllocated = false;  // snapshots only
  std::string drmMode;           // "", "source" or "destination"
  std::string drGroupId;         // the group on this system
  std::string remoteVdiskId;     // the partner on the remote system
  std::string remoteSystemId;
  int64_t created = 0;  // simulated clock
};

struct Presentation {
  std::string id;
  int lun = 0;
  std::string hostId;
  std::string vdiskId;
};

struct DrGroup {
  std::string id;
  std::string name;  // leaf name
  std::string folderId;
  std::string mode = "source";  // "source" or "destination"
  std::string remoteSystemId;
  std::string remoteGroupId;
  std::string accessMode = "disable";  // "readonly" or "disable"
  std::string writeMode = "synchronous";
  std::string suspend = "resume";     // "suspend" or "resume"
  std::string failsafe = "disabled";  // "enabled" or "disabled"
  std::string comment;
  std::vector<std::string> members;  // vdisk ids on this system
};

struct Controller {
  std::string id;
  std::string name;
  std::string state = "good";  // "good" or "shutdown"
};

struct Monitor {
  std::string id;
  std::string name;
  std::string comment;
  std::string state = "good";
};

struct Event {
  std::string id;
  std::string kind;  // "disk", "management", "system" or "termination"
  std::string code;
  std::string text;
  int64_t time = 0;
};

struct DiskExercise {
  bool running = false;
  std::vector<std::string> diskIds;
  int passes = 0;  // advances with every summary asked for
};

struct StorageSystem {
  std::string id;
  std::string name;  // an uninitialized array is listed under its wwn
  std::string wwn;
  bool initialized = true;
  std::string comment;
  int consoleLunId = 0;
  int number = 1;           // part of every identifier on this system
  uint64_t nextSerial = 1;  // the next identifier's serial number
  std::vector<Folder> folders;
  std::vector<Disk> disks;
  std::vector<DiskGroup> groups;
  std::vector<Host> hosts;
  std::vector<Vdisk> vdisks;
  std::vector<Presentation> luns;
  std::vector<DrGroup> drGroups;
  std::vector<Controller> controllers;
  std::vector<Monitor> monitors;
  std::vector<Event> events;
  DiskExercise exercise;
};

struct User {
  std::string name;
  std::string password;
};

struct Model {
  std::string version = "3.2";
  std::string build = "3.2.0117";
  bool xmlInterface = true;  // false: an older manager without XMLIntr
  std::vector<User> users;
  int64_t clock = 1767225600;  // simulated seconds; advances per change
  std::vector<StorageSystem> systems;
};

// Identifiers are 40 hexadecimal digits: a kind code, the system's number
// and a serial, so they are stable for a given scenario and request order.
enum class IdKind : int {
  kSystem = 0x10,
  kFolder = 0x11,
  kDisk = 0x12,
  kDiskGroup = 0x13,
  kHost = 0x14,
  kVdisk = 0x15,
  kLun = 0x16,
  kDrGroup = 0x17,
  kController = 0x18,
  kMonitor = 0x19,
  kEvent = 0x1A,
};
std::string SystemIdFor(int number);
std::string NewId(StorageSystem& system, IdKind kind);

// The root folders every initialized system has.
inline constexpr std::string_view kVdiskRoot = "Virtual Disks";
inline constexpr std::string_view kHostRoot = "Hosts";
inline constexpr std::string_view kGroupRoot = "Disk Groups";
inline constexpr std::string_view kDrRoot = "Data Replication";

// Full names as the manager lists them.
std::string FolderPath(const StorageSystem& system, std::string_view folderId);
std::string GroupName(const StorageSystem& system, const DiskGroup& group);
std::string HostName(const StorageSystem& system, const Host& host);
std::string VdiskName(const StorageSystem& system, const Vdisk& vdisk);
std::string DrGroupName(const StorageSystem& system, const DrGroup& group);

// Lookups by identifier (nullptr when absent).
StorageSystem* FindSystem(Model& model, std::string_view id);
StorageSystem* FindSystemByName(Model& model, std::string_view name);
Folder* FindFolder(StorageSystem& system, std::string_view id);
Folder* FindRootFolder(StorageSystem& system, std::string_view name);
Disk* FindDisk(StorageSystem& system, std::string_view id);
DiskGroup* FindGroup(StorageSystem& system, std::string_view id);
Host* FindHost(StorageSystem& system, std::string_view id);
Vdisk* FindVdisk(StorageSystem& system, std::string_view id);
Presentation* FindLun(StorageSystem& system, std::string_view id);
DrGroup* FindDrGroup(StorageSystem& system, std::string_view id);
Controller* FindController(StorageSystem& system, std::string_view id);
Monitor* FindMonitor(StorageSystem& system, std::string_view id);

// The root folder a folder belongs to ("Virtual Disks", "Hosts", ...).
std::string RootOf(const StorageSystem& system, std::string_view folderId);

// Capacity of a disk group in whole gigabytes.
struct GroupCapacity {
  int disks = 0;
  int rawGb = 0;
  int usableGb = 0;  // raw less the spare reserve
  int usedGb = 0;
};
GroupCapacity CapacityOf(const StorageSystem& system, const DiskGroup& group);
// What a virtual disk takes from its group.
int AllocatedGb(const StorageSystem& system, const Vdisk& vdisk);
int AllocationFor(int sizeGb, std::string_view redundancy);

// Creates the root folders, the first disk group from `deviceCount`
// ungrouped disks, and marks the system initialized.
void InitializeSystem(StorageSystem& system, std::string_view name,
                      int deviceCount, std::string_view sparePolicy,
                      std::string_view diskType);
void AddRootFolders(StorageSystem& system);
// Gives a system its two controllers and its monitors when it has none.
void AddHardware(StorageSystem& system);

// The world wide LUN name a virtual disk gets when none was given: made
// from the system's number and the disk's identifier.
std::string GeneratedLunWwn(const StorageSystem& system, const Vdisk& vdisk);

// Appends an event stamped with the simulated clock.
void RecordEvent(Model& model, StorageSystem& system, std::string_view kind,
                 std::string_view code, std::string text);

// Text rules of the manager: printable characters only, and none of
// ? " / \ < > * | : & + , % in names and comments.
bool IsValidName(std::string_view name);        // 1 to 32 characters
bool IsValidComment(std::string_view comment);  // 0 to 128 characters
// Printable and free of markup characters: every other stored text.
bool IsPlainText(std::string_view text, size_t maxLength);

}  // namespace sim
