#include "capture/capture_steps.h"

#include <cstring>

#include "capture/capture_line.h"
#include "capture/controller_writer.h"
#include "capture/detail_values.h"
#include "capture/drgroup_writer.h"
#include "capture/folder_writer.h"
#include "capture/group_writer.h"
#include "capture/host_writer.h"
#include "capture/object_iteration.h"
#include "capture/system_writer.h"
#include "capture/vdisk_writer.h"

namespace capture {
namespace {

using request::kVdisks;
using session::ResponseNode;

// Every step stops its replay at the first command that fails.
int writeHaltOnError(CaptureWriter& writer) {
  startLine(writer, "SET");
  if (appendWord(writer, "OPTIONS") != 0 ||
      appendSetting(writer, "ON_ERROR", "HALT_ON_ERROR") != 0) {
    return 1;
  }
  return writeLine(writer);
}

bool drModeIs(const ResponseNode* details, const char* mode) {
  const char* value = detailValue(details, "drmmode");
  return value != nullptr && std::strcmp(value, mode) == 0;
}

// Virtual disks outside DR groups, each with its LUNs.
int writeOwnVdisk(CaptureWriter& writer, const ResponseNode* details, int) {
  const char* mode = detailValue(details, "drmmode");
  if (mode != nullptr && mode[0] != '\0') return 0;
  if (writeVdisk(writer, details) != 0) return 1;
  return writeLuns(writer, details, detailValue(details, "Name"));
}

int writeSourceVdisk(CaptureWriter& writer, const ResponseNode* details, int) {
  return drModeIs(details, "source") ? writeVdisk(writer, details) : 0;
}

int writeLunsOfVdisk(CaptureWriter& writer, const ResponseNode* details) {
  const char* name = RequireToken(details, "Name");
  return name != nullptr ? writeLuns(writer, details, name) : 1;
}

int writeSourceLuns(CaptureWriter& writer, const ResponseNode* details, int) {
  return drModeIs(details, "source") ? writeLunsOfVdisk(writer, details) : 0;
}

int writeDestinationLuns(CaptureWriter& writer, const ResponseNode* details,
                         int) {
  bool destination =
      drModeIs(details, "slave") || drModeIs(details, "destination");
  return destination ? writeLunsOfVdisk(writer, details) : 0;
}

int writeBasicBody(CaptureWriter& writer) {
  if (writeHaltOnError(writer) != 0 ||
      forEachObject(writer, request::kDiskGroups, writeDiskGroup) != 0 ||
      forEachObject(writer, request::kSystems, writeSystem) != 0 ||
      writeHeldBackGroupLines(writer) != 0 ||
      writeDefaultGroupLines(writer) != 0 ||
      forEachObject(writer, request::kFolders, writeFolder) != 0 ||
      forEachObject(writer, request::kHosts, writeHost) != 0 ||
      forEachObject(writer, kVdisks, writeOwnVdisk) != 0 ||
      forEachObject(writer, request::kPower, writeController) != 0) {
    return 1;
  }
  // The basic configuration is always kept, even for an empty system.
  writer.stepWroteCommand = true;
  return 0;
}

int writeBasicConfiguration(CaptureWriter& writer) {
  int result = writeBasicBody(writer);
  clearDiskGroups(writer);
  clearControllerNames(writer);
  return result;
}

int writeDrSourceVdisks(CaptureWriter& writer) {
  if (writeHaltOnError(writer) != 0) return 1;
  return forEachObject(writer, kVdisks, writeSourceVdisk);
}

int writeDrSourceLuns(CaptureWriter& writer) {
  if (writeHaltOnError(writer) != 0) return 1;
  return forEachObject(writer, kVdisks, writeSourceLuns);
}

int writeDrGroups(CaptureWriter& writer) {
  if (writeHaltOnError(writer) != 0) return 1;
  return forEachObject(writer, request::kDrGroups, writeDrGroup);
}

int writeDrDestinationLuns(CaptureWriter& writer) {
  if (writeHaltOnError(writer) != 0) return 1;
  return forEachObject(writer, kVdisks, writeDestinationLuns);
}

}  // namespace

const CaptureStep kCaptureSteps[kStepCount] = {
    {"Step1A", writeBasicConfiguration}, {"Step1B", writeDrSourceVdisks},
    {"Step1C", writeDrSourceLuns},       {"Step2", writeDrGroups},
    {"Step3", writeDrDestinationLuns},
};

}  // namespace capture
