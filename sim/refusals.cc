#include "sim/refusals.h"

#include <string>

namespace sim {
namespace {

// Message numbers stay clear of the statuses clients retry on.
constexpr RefusalText kRefusals[] = {
    {Refusal::kMalformedRequest, 5001, "The request could not be read"},
    {Refusal::kUnsupportedOperation, 5002, "Operation not supported"},
    {Refusal::kMissingProperty, 5003, "A required property is missing"},
    {Refusal::kInvalidValue, 5004, "Invalid property value"},
    {Refusal::kNoSuchSystem, 5010, "Storage system not found"},
    {Refusal::kNoSuchObject, 5011, "Object not found"},
    {Refusal::kNotInitialized, 5012, "Storage system is not initialized"},
    {Refusal::kAlreadyInitialized, 5013,
     "Storage system is already initialized"},
    {Refusal::kControllersDown, 5014,
     "Storage system is not available, both controllers are shut down"},
    {Refusal::kNameInUse, 5020, "Name already in use"},
    {Refusal::kInvalidName, 5021, "Invalid name"},
    {Refusal::kInvalidComment, 5022, "Invalid comment"},
    {Refusal::kWrongFolder, 5023, "Folder cannot hold this kind of object"},
    {Refusal::kRootFolder, 5024, "Root folders cannot be changed or deleted"},
    {Refusal::kFolderNotEmpty, 5025, "Folder is not empty"},
    {Refusal::kNotEnoughDisks, 5030, "Not enough free disks of that type"},
    {Refusal::kNoCapacity, 5031, "Not enough free capacity in the disk group"},
    {Refusal::kGroupInUse, 5032, "Disk group still holds virtual disks"},
    {Refusal::kTooFewDisks, 5033,
     "A disk group needs at least 8 disks and room for its virtual disks"},
    {Refusal::kDiskNotInGroup, 5034, "Disk is not in the disk group"},
    {Refusal::kVdiskHasSnapshots, 5041,
     "Virtual disk has snapshots, delete them first"},
    {Refusal::kNotActive, 5042, "Source must be an active virtual disk"},
    {Refusal::kTooManySnapshots, 5043,
     "Virtual disk already has the maximum of 7 snapshots"},
    {Refusal::kCannotShrink, 5044, "Virtual disk size can only be increased"},
    {Refusal::kDrMember, 5045, "Virtual disk is a member of a DR group"},
    {Refusal::kDrDestination, 5046,
     "Operation not allowed on the destination side of a DR group"},
    {Refusal::kNotDrMember, 5047, "Virtual disk is not a member of the group"},
    {Refusal::kSameSystem, 5048,
     "Destination system must differ from the source system"},
    {Refusal::kLunInUse, 5050, "LUN number already in use for this host"},
    {Refusal::kAlreadyPresented, 5051,
     "Virtual disk is already presented to this host"},
    {Refusal::kHostPresented, 5052,
     "Host has virtual disks presented, delete its LUNs first"},
    {Refusal::kAdapterInUse, 5053, "Adapter world wide name already in use"},
    {Refusal::kNoSuchAdapter, 5054, "Host has no adapter with that name"},
    {Refusal::kWwnInUse, 5055, "World wide LUN name already in use"},
    {Refusal::kExerciseRunning, 5070, "A disk exercise is already running"},
    {Refusal::kExerciseStopped, 5071, "No disk exercise is running"},
    {Refusal::kNoXmlInterface, 5080, "xmlintr - is not yet supported or known"},
    {Refusal::kNotAuthorized, 5090, "Not authorized"},
};

const RefusalText& Lookup(Refusal reason) {
  for (const RefusalText& entry : kRefusals) {
    if (entry.reason == reason) return entry;
  }
  return kRefusals[0];
}

}  // namespace

int RefusalNumber(Refusal reason) { return Lookup(reason).number; }

Answer Refuse(Refusal reason, std::string_view detail) {
  const RefusalText& entry = Lookup(reason);
  Answer answer;
  answer.status = entry.number;
  answer.message = entry.text;
  if (!detail.empty()) {
    // The detail may quote what a client sent: keep it plain text.
    answer.message += ": ";
    for (char c : detail) {
      bool plain = c >= 0x20 && c <= 0x7E && c != '<' && c != '>' && c != '&';
      answer.message += plain ? c : '?';
    }
  }
  return answer;
}

}  // namespace sim
