// The whole command language as one static graph. Each list is read from
// top to bottom in the order the parser and the help listing see it; a node
// names its handler and the list that follows it (nullptr: the command ends
// there). Hidden aliases (CELL, GROUP, STORAGE) share the lists of the
// keywords they stand for.
#include "language/grammar.h"

#include "capture/capture_command.h"
#include "capture/validate_command.h"
#include "objects/copy_commands.h"
#include "objects/debug_commands.h"
#include "objects/diagnostic_commands.h"
#include "objects/drgroup_commands.h"
#include "objects/folder_commands.h"
#include "objects/group_commands.h"
#include "objects/host_commands.h"
#include "objects/lun_commands.h"
#include "objects/power_commands.h"
#include "objects/system_commands.h"
#include "objects/vdisk_commands.h"
#include "request/manager_commands.h"
#include "request/name_values.h"
#include "request/show_objects.h"
#include "shell/basic_commands.h"
#include "shell/options_commands.h"
#include "shell/regression.h"
#include "shell/script_file.h"

namespace language {

using namespace capture;
using namespace session;
using namespace shell;
using namespace objects;
using namespace request;

namespace {

extern const CommandNode kRoot[];
extern const CommandNode kAddObjects[];
extern const CommandNode kAddSystemName[];
extern const CommandNode kAddSystemOptions[];
extern const CommandNode kSystemDiskTypes[];
extern const CommandNode kSystemSparePolicies[];
extern const CommandNode kAddCopyName[];
extern const CommandNode kAddCopyOptions[];
extern const CommandNode kCopyGroupName[];
extern const CommandNode kCopyRedundancies[];
extern const CommandNode kCopySourceVdisk[];
extern const CommandNode kCopyWwlunName[];
extern const CommandNode kAddGroupName[];
extern const CommandNode kAddGroupOptions[];
extern const CommandNode kGroupDiskTypes[];
extern const CommandNode kGroupSparePolicies[];
extern const CommandNode kAddDrgroupName[];
extern const CommandNode kAddDrgroupOptions[];
extern const CommandNode kDrgroupAccessModes[];
extern const CommandNode kDrgroupDestinationGroup[];
extern const CommandNode kDrgroupDestinationSystem[];
extern const CommandNode kDrgroupDestinationVdisk[];
extern const CommandNode kDrgroupSourceVdisk[];
extern const CommandNode kDrgroupWriteModes[];
extern const CommandNode kAddFolderName[];
extern const CommandNode kAddFolderOptions[];
extern const CommandNode kAddHostName[];
extern const CommandNode kAddHostOptions[];
extern const CommandNode kHostIp[];
extern const CommandNode kHostOsModes[];
extern const CommandNode kHostCustomMask[];
extern const CommandNode kHostWwn[];
extern const CommandNode kAddLunNumber[];
extern const CommandNode kAddLunOptions[];
extern const CommandNode kLunHostName[];
extern const CommandNode kLunVdiskName[];
extern const CommandNode kAddSnapshotName[];
extern const CommandNode kAddSnapshotOptions[];
extern const CommandNode kSnapshotAllocationPolicies[];
extern const CommandNode kSnapshotRedundancies[];
extern const CommandNode kSnapshotSourceVdisk[];
extern const CommandNode kSnapshotWwlunName[];
extern const CommandNode kAddVdiskName[];
extern const CommandNode kAddVdiskOptions[];
extern const CommandNode kVdiskGroupName[];
extern const CommandNode kVdiskPaths[];
extern const CommandNode kVdiskRedundancies[];
extern const CommandNode kVdiskWwlunName[];
extern const CommandNode kCaptureObjects[];
extern const CommandNode kCaptureFile[];
extern const CommandNode kValidateFile[];
extern const CommandNode kDebugOptions[];
extern const CommandNode kTallowFlagsValue[];
extern const CommandNode kDeleteObjects[];
extern const CommandNode kDeleteSystemName[];
extern const CommandNode kDeleteGroupName[];
extern const CommandNode kDeleteDrgroupName[];
extern const CommandNode kDeleteFolderName[];
extern const CommandNode kDeleteHostName[];
extern const CommandNode kDeleteLunNumber[];
extern const CommandNode kDeleteVdiskName[];
extern const CommandNode kDeleteVdiskOptions[];
extern const CommandNode kExerciseActions[];
extern const CommandNode kExerciseDisks[];
extern const CommandNode kFileName[];
extern const CommandNode kRegressionActions[];
extern const CommandNode kRegressionCapture[];
extern const CommandNode kRegressionTestFile[];
extern const CommandNode kPowerObjectName[];
extern const CommandNode kPowerOptions[];
extern const CommandNode kSelectObjects[];
extern const CommandNode kSelectSystemName[];
extern const CommandNode kManagerAddress[];
extern const CommandNode kManagerOptions[];
extern const CommandNode kManagerPassword[];
extern const CommandNode kManagerUsername[];
extern const CommandNode kSetObjects[];
extern const CommandNode kSetSystemName[];
extern const CommandNode kSetSystemOptions[];
extern const CommandNode kNewName[];
extern const CommandNode kSetSimpleName[];
extern const CommandNode kSetSimpleOptions[];
extern const CommandNode kSetGroupName[];
extern const CommandNode kSetGroupOptions[];
extern const CommandNode kGroupDiskName[];
extern const CommandNode kSetGroupSparePolicies[];
extern const CommandNode kSetDrgroupName[];
extern const CommandNode kSetDrgroupOptions[];
extern const CommandNode kSetDrgroupAccessModes[];
extern const CommandNode kDrgroupAddVdisk[];
extern const CommandNode kDrgroupAddVdiskOptions[];
extern const CommandNode kDrgroupAddDestinationGroup[];
extern const CommandNode kDrgroupAddDestinationVdisk[];
extern const CommandNode kDrgroupMemberVdisk[];
extern const CommandNode kDrgroupNewName[];
extern const CommandNode kSetDrgroupWriteModes[];
extern const CommandNode kSetHostName[];
extern const CommandNode kSetHostOptions[];
extern const CommandNode kSetHostWwn[];
extern const CommandNode kSetHostIp[];
extern const CommandNode kSetHostOsModes[];
extern const CommandNode kSetHostCustomMask[];
extern const CommandNode kOptions[];
extern const CommandNode kOnErrorPolicies[];
extern const CommandNode kSetVdiskName[];
extern const CommandNode kSetVdiskOptions[];
extern const CommandNode kSetVdiskPaths[];
extern const CommandNode kSetVdiskWwlunName[];
extern const CommandNode kShowObjects[];
extern const CommandNode kShowSelection[];
extern const CommandNode kShowDrgroupSelection[];

// One row per node, however long: a row reads as one line of the graph.
// clang-format off

// root
const CommandNode kRoot[] = {
    {0, nullptr, kAddObjects, "ADD"},
    {0, nullptr, kCaptureObjects, "CAPTURE"},
    {NODE_HIDDEN | NODE_FULL_WORD, installDebugNothing, kDebugOptions, "DEBUG"},
    {0, nullptr, kDeleteObjects, "DELETE"},
    {0, installEmVersion, nullptr, "EMVERSION"},
    {0, nullptr, kExerciseActions, "EXERCISE_DISK"},
    {0, installExit, nullptr, "EXIT"},
    {0, nullptr, kFileName, "FILE"},
    {0, installHelp, nullptr, "HELP"},
    {0, installRediscover, nullptr, "REDISCOVER"},
    {NODE_HIDDEN, nullptr, kRegressionActions, "REGRESSION"},
    {0, installRestart, kPowerObjectName, "RESTART"},
    {0, nullptr, kSelectObjects, "SELECT"},
    {0, nullptr, kSetObjects, "SET"},
    {0, nullptr, kShowObjects, "SHOW"},
    {NODE_LAST, installShutdown, kPowerObjectName, "SHUTDOWN"},
};

// add-objects
const CommandNode kAddObjects[] = {
    {NODE_HIDDEN, installAddSystem, kAddSystemName, "CELL"},
    {0, installAddCopy, kAddCopyName, "COPY"},
    {0, installAddGroup, kAddGroupName, "DISK_GROUP"},
    {0, installAddDrGroup, kAddDrgroupName, "DR_GROUP"},
    {0, installAddFolder, kAddFolderName, "FOLDER"},
    {NODE_HIDDEN, installAddGroup, kAddGroupName, "GROUP"},
    {0, installAddHost, kAddHostName, "HOST"},
    {0, installAddLun, kAddLunNumber, "LUN"},
    {0, installAddSnapshot, kAddSnapshotName, "SNAPSHOT"},
    {NODE_HIDDEN, installAddVdisk, kAddVdiskName, "STORAGE"},
    {0, installAddSystem, kAddSystemName, "SYSTEM"},
    {NODE_LAST, installAddVdisk, kAddVdiskName, "VDISK"},
};

// add-system-name
const CommandNode kAddSystemName[] = {
    {NODE_VALUE | NODE_LAST, recordSystemName, kAddSystemOptions, "Name of storage system"},
};

// add-system-options
const CommandNode kAddSystemOptions[] = {
    {NODE_EQUALS | NODE_STRING, recordComment, kAddSystemOptions, "COMMENT"},
    {NODE_EQUALS | NODE_DECIMAL, recordUnitId, kAddSystemOptions, "CONSOLE_LUN_ID"},
    {NODE_EQUALS | NODE_DECIMAL, recordDeviceCount, kAddSystemOptions, "DEVICE_COUNT"},
    {NODE_EQUALS, nullptr, kSystemDiskTypes, "DISKGROUP_DISKTYPE"},
    {NODE_EQUALS | NODE_LAST, nullptr, kSystemSparePolicies, "SPARE_POLICY"},
};

// system-disk-types
const CommandNode kSystemDiskTypes[] = {
    {0, putFixed<kSystemDiskTypeNearOnline>, kAddSystemOptions, "NEARONLINE"},
    {NODE_LAST, putFixed<kSystemDiskTypeOnline>, kAddSystemOptions, "ONLINE"},
};

// system-spare-policies
const CommandNode kSystemSparePolicies[] = {
    {0, putFixed<kSparePolicyDouble>, kAddSystemOptions, "DOUBLE"},
    {0, putFixed<kSparePolicyNone>, kAddSystemOptions, "NONE"},
    {NODE_LAST, putFixed<kSparePolicySingle>, kAddSystemOptions, "SINGLE"},
};

// add-copy-name
const CommandNode kAddCopyName[] = {
    {NODE_VALUE | NODE_LAST, recordNewObjectName, kAddCopyOptions, "Name of copy"},
};

// add-copy-options
const CommandNode kAddCopyOptions[] = {
    {NODE_EQUALS, nullptr, kCopyGroupName, "DISK_GROUP"},
    {NODE_HIDDEN | NODE_EQUALS, nullptr, kCopyGroupName, "GROUP"},
    {NODE_EQUALS | NODE_DECIMAL, recordUnitId, kAddCopyOptions, "OS_UNIT_ID"},
    {NODE_EQUALS, nullptr, kCopyRedundancies, "REDUNDANCY"},
    {NODE_HIDDEN | NODE_EQUALS, nullptr, kCopySourceVdisk, "STORAGE"},
    {NODE_EQUALS, nullptr, kCopySourceVdisk, "VDISK"},
    {0, putFixed<kCreationWait>, kCopySourceVdisk, "WAIT_FOR_COMPLETION"},
    {0, putFixed<kCreationNoWait>, kCopySourceVdisk, "NOWAIT_FOR_COMPLETION"},
    {NODE_EQUALS | NODE_LAST, nullptr, kCopyWwlunName, "WORLD_WIDE_LUN_NAME"},
};

// copy-group-name
const CommandNode kCopyGroupName[] = {
    {NODE_VALUE | NODE_LAST, recordArgument<&WorkArea::diskGroupArg>, kAddCopyOptions, "Name of group"},
};

// copy-redundancies
const CommandNode kCopyRedundancies[] = {
    {0, putFixed<kRedundancyVraid0>, kAddCopyOptions, "VRAID0"},
    {0, putFixed<kRedundancyVraid1>, kAddCopyOptions, "VRAID1"},
    {NODE_LAST, putFixed<kRedundancyVraid5>, kAddCopyOptions, "VRAID5"},
};

// copy-source-vdisk
const CommandNode kCopySourceVdisk[] = {
    {NODE_VALUE | NODE_LAST, recordArgument<&WorkArea::sourceVdiskArg>, kAddCopyOptions, "Name of Vdisk"},
};

// copy-wwlun-name
const CommandNode kCopyWwlunName[] = {
    {NODE_VALUE | NODE_LAST, recordLunWorldWideName, kAddCopyOptions, "World Wide Name in the form 6nnn-nnnn-nnnn-nnnn-nnnn-nnnn-nnnn-nnnn"},
};

// add-group-name
const CommandNode kAddGroupName[] = {
    {NODE_VALUE | NODE_LAST, recordNewObjectName, kAddGroupOptions, "Name of group"},
};

// add-group-options
const CommandNode kAddGroupOptions[] = {
    {NODE_EQUALS | NODE_STRING, recordComment, kAddGroupOptions, "COMMENT"},
    {NODE_EQUALS | NODE_DECIMAL, recordDeviceCount, kAddGroupOptions, "DEVICE_COUNT"},
    {NODE_EQUALS | NODE_DECIMAL, recordOccupancyAlarm, kAddGroupOptions, "OCCUPANCY_ALARM"},
    {NODE_EQUALS, nullptr, kGroupDiskTypes, "DISKGROUP_DISKTYPE"},
    {NODE_EQUALS | NODE_LAST, nullptr, kGroupSparePolicies, "SPARE_POLICY"},
};

// group-disk-types
const CommandNode kGroupDiskTypes[] = {
    {0, putFixed<kGroupDiskTypeNearOnline>, kAddGroupOptions, "NEARONLINE"},
    {NODE_LAST, putFixed<kGroupDiskTypeOnline>, kAddGroupOptions, "ONLINE"},
};

// group-spare-policies
const CommandNode kGroupSparePolicies[] = {
    {0, putFixed<kSparePolicyDouble>, kAddGroupOptions, "DOUBLE"},
    {0, putFixed<kSparePolicyNone>, kAddGroupOptions, "NONE"},
    {NODE_LAST, putFixed<kSparePolicySingle>, kAddGroupOptions, "SINGLE"},
};

// add-drgroup-name
const CommandNode kAddDrgroupName[] = {
    {NODE_VALUE | NODE_LAST, recordNewDrGroupName, kAddDrgroupOptions, "Name of DR_GROUP set"},
};

// add-drgroup-options
const CommandNode kAddDrgroupOptions[] = {
    {NODE_EQUALS, nullptr, kDrgroupAccessModes, "ACCESSMODE"},
    {NODE_EQUALS | NODE_STRING, recordDrGroupComment, kAddDrgroupOptions, "COMMENT"},
    {NODE_EQUALS, nullptr, kDrgroupDestinationGroup, "DESTINATION_DISK_GROUP"},
    {NODE_EQUALS, nullptr, kDrgroupDestinationSystem, "DESTINATION_SYSTEM"},
    {NODE_EQUALS, nullptr, kDrgroupDestinationVdisk, "DESTINATION_VDISK_NAME"},
    {NODE_EQUALS, nullptr, kDrgroupSourceVdisk, "VDISK"},
    {NODE_EQUALS | NODE_LAST, nullptr, kDrgroupWriteModes, "WRITEMODE"},
};

// drgroup-access-modes
const CommandNode kDrgroupAccessModes[] = {
    {0, putFixedLast<kAccessReadOnly>, kAddDrgroupOptions, "READONLY"},
    {NODE_LAST, putFixedLast<kAccessDisable>, kAddDrgroupOptions, "DISABLE"},
};

// drgroup-destination-group
const CommandNode kDrgroupDestinationGroup[] = {
    {NODE_VALUE | NODE_LAST, recordArgument<&WorkArea::destinationGroupArg>, kAddDrgroupOptions, "Name of Vdisk"},
};

// drgroup-destination-system
const CommandNode kDrgroupDestinationSystem[] = {
    {NODE_VALUE | NODE_LAST, recordArgument<&WorkArea::destinationSystemArg>, kAddDrgroupOptions, "Name of destination system"},
};

// drgroup-destination-vdisk
const CommandNode kDrgroupDestinationVdisk[] = {
    {NODE_VALUE | NODE_LAST, recordRemoteVdiskName, kAddDrgroupOptions, "Name of Vdisk"},
};

// drgroup-source-vdisk
const CommandNode kDrgroupSourceVdisk[] = {
    {NODE_VALUE | NODE_LAST, recordArgument<&WorkArea::vdiskNameArg>, kAddDrgroupOptions, "Name of Vdisk"},
};

// drgroup-write-modes
const CommandNode kDrgroupWriteModes[] = {
    {0, putFixedLast<kWriteModeAsynchronous>, kAddDrgroupOptions, "ASYNCHRONOUS"},
    {NODE_LAST, putFixedLast<kWriteModeSynchronous>, kAddDrgroupOptions, "SYNCHRONOUS"},
};

// add-folder-name
const CommandNode kAddFolderName[] = {
    {NODE_VALUE | NODE_LAST, recordNewObjectName, kAddFolderOptions, "Name of folder"},
};

// add-folder-options
const CommandNode kAddFolderOptions[] = {
    {NODE_EQUALS | NODE_STRING | NODE_LAST, recordComment, nullptr, "COMMENT"},
};

// add-host-name
const CommandNode kAddHostName[] = {
    {NODE_VALUE | NODE_LAST, recordNewObjectName, kAddHostOptions, "Name of host"},
};

// add-host-options
const CommandNode kAddHostOptions[] = {
    {NODE_EQUALS | NODE_STRING, recordComment, kAddHostOptions, "COMMENT"},
    {NODE_EQUALS, nullptr, kHostIp, "IP"},
    {NODE_EQUALS, nullptr, kHostOsModes, "OPERATING_SYSTEM"},
    {NODE_EQUALS | NODE_LAST, nullptr, kHostWwn, "WORLD_WIDE_NAME"},
};

// host-ip
const CommandNode kHostIp[] = {
    {NODE_VALUE | NODE_LAST, recordHostAddress, kAddHostOptions, "IP address in the form of nnn.nnn.nnn.nnn"},
};

// host-os-modes
const CommandNode kHostOsModes[] = {
    {NODE_EQUALS, nullptr, kHostCustomMask, "CUSTOM"},
    {0, putFixed<kModeOrdan>, kAddHostOptions, "ORDAN"},
    {0, putFixed<kModeArven>, kAddHostOptions, "ARVEN"},
    {0, putFixed<kModeBraskel>, kAddHostOptions, "BRASKEL"},
    {0, putFixed<kModeMirador>, kAddHostOptions, "MIRADOR"},
    {0, putFixed<kModeValmer>, kAddHostOptions, "VALMER"},
    {0, putFixed<kModeUnknown>, kAddHostOptions, "UNKNOWN"},
    {NODE_LAST, putFixed<kModeTemplar>, kAddHostOptions, "TEMPLAR"},
};

// host-custom-mask
const CommandNode kHostCustomMask[] = {
    {NODE_VALUE | NODE_LAST, recordCustomMode, kAddHostOptions, "Host funtionality mask"},
};

// host-wwn
const CommandNode kHostWwn[] = {
    {NODE_VALUE | NODE_LAST, recordAdapter, kAddHostOptions, "World Wide Name in the form 6nnn-nnnn-nnnn-nnnn-nnnn-nnnn-nnnn-nnnn"},
};

// add-lun-number
const CommandNode kAddLunNumber[] = {
    {NODE_VALUE | NODE_DECIMAL | NODE_LAST, recordLunNumber, kAddLunOptions, "Logical Unit Number"},
};

// add-lun-options
const CommandNode kAddLunOptions[] = {
    {NODE_EQUALS, nullptr, kLunHostName, "HOST"},
    {NODE_HIDDEN | NODE_EQUALS, nullptr, kLunVdiskName, "STORAGE"},
    {NODE_EQUALS | NODE_LAST, nullptr, kLunVdiskName, "VDISK"},
};

// lun-host-name
const CommandNode kLunHostName[] = {
    {NODE_VALUE | NODE_LAST, recordArgument<&WorkArea::hostNameArg>, kAddLunOptions, "Name of host"},
};

// lun-vdisk-name
const CommandNode kLunVdiskName[] = {
    {NODE_VALUE | NODE_LAST, recordArgument<&WorkArea::vdiskNameArg>, kAddLunOptions, "Name of Vdisk"},
};

// add-snapshot-name
const CommandNode kAddSnapshotName[] = {
    {NODE_VALUE | NODE_LAST, recordNewObjectName, kAddSnapshotOptions, "Name of snapshot"},
};

// add-snapshot-options
const CommandNode kAddSnapshotOptions[] = {
    {NODE_EQUALS, nullptr, kSnapshotAllocationPolicies, "ALLOCATION_POLICY"},
    {NODE_EQUALS | NODE_DECIMAL, recordUnitId, kAddSnapshotOptions, "OS_UNIT_ID"},
    {NODE_EQUALS, nullptr, kSnapshotRedundancies, "REDUNDANCY"},
    {NODE_HIDDEN | NODE_EQUALS, nullptr, kSnapshotSourceVdisk, "STORAGE"},
    {NODE_EQUALS, nullptr, kSnapshotSourceVdisk, "VDISK"},
    {NODE_EQUALS | NODE_LAST, nullptr, kSnapshotWwlunName, "WORLD_WIDE_LUN_NAME"},
};

// snapshot-allocation-policies
const CommandNode kSnapshotAllocationPolicies[] = {
    {0, putFixed<kAllocateOnDemand>, kAddSnapshotOptions, "DEMAND"},
    {NODE_LAST, putFixed<kAllocateFully>, kAddSnapshotOptions, "FULLY"},
};

// snapshot-redundancies
const CommandNode kSnapshotRedundancies[] = {
    {0, putFixed<kRedundancyVraid0>, kAddSnapshotOptions, "VRAID0"},
    {0, putFixed<kRedundancyVraid1>, kAddSnapshotOptions, "VRAID1"},
    {NODE_LAST, putFixed<kRedundancyVraid5>, kAddSnapshotOptions, "VRAID5"},
};

// snapshot-source-vdisk
const CommandNode kSnapshotSourceVdisk[] = {
    {NODE_VALUE | NODE_LAST, recordArgument<&WorkArea::sourceVdiskArg>, kAddSnapshotOptions, "Name of Vdisk"},
};

// snapshot-wwlun-name
const CommandNode kSnapshotWwlunName[] = {
    {NODE_VALUE | NODE_LAST, recordLunWorldWideName, kAddSnapshotOptions, "World Wide Name in the form 6nnn-nnnn-nnnn-nnnn-nnnn-nnnn-nnnn-nnnn"},
};

// add-vdisk-name
const CommandNode kAddVdiskName[] = {
    {NODE_VALUE | NODE_LAST, recordNewObjectName, kAddVdiskOptions, "Name of Vdisk"},
};

// add-vdisk-options
const CommandNode kAddVdiskOptions[] = {
    {NODE_EQUALS | NODE_STRING, recordComment, kAddVdiskOptions, "COMMENT"},
    {NODE_EQUALS, nullptr, kVdiskGroupName, "DISK_GROUP"},
    {NODE_HIDDEN | NODE_EQUALS, nullptr, kVdiskGroupName, "GROUP"},
    {0, putFixed<kMirroredWriteBack>, kAddVdiskOptions, "MIRRORED_WRITEBACK"},
    {0, putFixed<kUnmirroredWriteBack>, kAddVdiskOptions, "NOMIRRORED_WRITEBACK"},
    {NODE_EQUALS | NODE_DECIMAL, recordUnitId, kAddVdiskOptions, "OS_UNIT_ID"},
    {NODE_EQUALS, nullptr, kVdiskPaths, "PREFERRED_PATH"},
    {0, putFixed<kNoPreferredPath>, kAddVdiskOptions, "NOPREFERRED_PATH"},
    {0, putFixed<kReadCacheOn>, kAddVdiskOptions, "READ_CACHE"},
    {0, putFixed<kReadCacheOff>, kAddVdiskOptions, "NOREAD_CACHE"},
    {NODE_EQUALS, nullptr, kVdiskRedundancies, "REDUNDANCY"},
    {NODE_EQUALS | NODE_DECIMAL, recordSize, kAddVdiskOptions, "SIZE"},
    {0, putFixed<kCreationWait>, kAddVdiskOptions, "WAIT_FOR_COMPLETION"},
    {0, putFixed<kCreationNoWait>, kAddVdiskOptions, "NOWAIT_FOR_COMPLETION"},
    {NODE_EQUALS, nullptr, kVdiskWwlunName, "WORLD_WIDE_LUN_NAME"},
    {0, putFixed<kWriteProtectOn>, kAddVdiskOptions, "WRITE_PROTECT"},
    {NODE_LAST, putFixed<kWriteProtectOff>, kAddVdiskOptions, "NOWRITE_PROTECT"},
};

// vdisk-group-name
const CommandNode kVdiskGroupName[] = {
    {NODE_VALUE | NODE_LAST, recordArgument<&WorkArea::diskGroupArg>, kAddVdiskOptions, "Name of group"},
};

// vdisk-paths
const CommandNode kVdiskPaths[] = {
    {0, putFixed<kPathAFailover>, kAddVdiskOptions, "PATH_A_FAILOVER"},
    {0, putFixed<kPathABoth>, kAddVdiskOptions, "PATH_A_BOTH"},
    {0, putFixed<kPathBFailover>, kAddVdiskOptions, "PATH_B_FAILOVER"},
    {NODE_LAST, putFixed<kPathBBoth>, kAddVdiskOptions, "PATH_B_BOTH"},
};

// vdisk-redundancies
const CommandNode kVdiskRedundancies[] = {
    {0, putFixed<kRedundancyVraid0>, kAddVdiskOptions, "VRAID0"},
    {0, putFixed<kRedundancyVraid1>, kAddVdiskOptions, "VRAID1"},
    {NODE_LAST, putFixed<kRedundancyVraid5>, kAddVdiskOptions, "VRAID5"},
};

// vdisk-wwlun-name
const CommandNode kVdiskWwlunName[] = {
    {NODE_VALUE | NODE_LAST, recordLunWorldWideName, kAddVdiskOptions, "World Wide Name in the form 6nnn-nnnn-nnnn-nnnn-nnnn-nnnn-nnnn-nnnn"},
};

// capture-objects
const CommandNode kCaptureObjects[] = {
    {0, installCaptureConfiguration, kCaptureFile, "CONFIGURATION"},
    {NODE_LAST, nullptr, kValidateFile, "VALIDATE"},
};

// capture-file
const CommandNode kCaptureFile[] = {
    {NODE_VALUE | NODE_LAST, recordCaptureFile, nullptr, "Filename of capture output"},
};

// validate-file
const CommandNode kValidateFile[] = {
    {NODE_VALUE | NODE_LAST, installValidateCaptureScript, nullptr, "Filename of capture output"},
};

// debug-options
const CommandNode kDebugOptions[] = {
    {NODE_HIDDEN | NODE_FULL_WORD, askAreYouSure, kDebugOptions, "ARE_YOU_SURE"},
    {NODE_HIDDEN | NODE_FULL_WORD | NODE_EQUALS, nullptr, kTallowFlagsValue, "TALLOW_FLAGS"},
    {NODE_HIDDEN | NODE_FULL_WORD, installDebugDebug, kDebugOptions, "DEBUG"},
    {NODE_HIDDEN | NODE_FULL_WORD, setDumpFlag, kDebugOptions, "DUMP"},
    {NODE_HIDDEN | NODE_FULL_WORD, clearDumpFlag, kDebugOptions, "NODUMP"},
    {NODE_HIDDEN | NODE_FULL_WORD | NODE_LAST, printInformation, kDebugOptions, "INFORMATION"},
};

// tallow-flags-value
const CommandNode kTallowFlagsValue[] = {
    {NODE_VALUE | NODE_HIDDEN | NODE_FULL_WORD | NODE_LAST, setTallowFlags, kDebugOptions, "Tallow flags to pass"},
};

// delete-objects
const CommandNode kDeleteObjects[] = {
    {NODE_HIDDEN, installDeleteSystem, kDeleteSystemName, "CELL"},
    {0, installDeleteGroup, kDeleteGroupName, "DISK_GROUP"},
    {0, installDeleteDrGroup, kDeleteDrgroupName, "DR_GROUP"},
    {0, installDeleteFolder, kDeleteFolderName, "FOLDER"},
    {NODE_HIDDEN, installDeleteGroup, kDeleteGroupName, "GROUP"},
    {0, installDeleteHost, kDeleteHostName, "HOST"},
    {0, installDeleteLun, kDeleteLunNumber, "LUN"},
    {NODE_HIDDEN, installDeleteVdisk, kDeleteVdiskName, "STORAGE"},
    {0, installDeleteSystem, kDeleteSystemName, "SYSTEM"},
    {NODE_LAST, installDeleteVdisk, kDeleteVdiskName, "VDISK"},
};

// delete-system-name
const CommandNode kDeleteSystemName[] = {
    {NODE_VALUE | NODE_LAST, recordObjectName, nullptr, "Name of storage system"},
};

// delete-group-name
const CommandNode kDeleteGroupName[] = {
    {NODE_VALUE | NODE_LAST, recordObjectName, nullptr, "Name of group"},
};

// delete-drgroup-name
const CommandNode kDeleteDrgroupName[] = {
    {NODE_VALUE | NODE_LAST, recordObjectName, nullptr, "Name of DR_GROUP set"},
};

// delete-folder-name
const CommandNode kDeleteFolderName[] = {
    {NODE_VALUE | NODE_LAST, recordObjectName, nullptr, "Name of folder"},
};

// delete-host-name
const CommandNode kDeleteHostName[] = {
    {NODE_VALUE | NODE_LAST, recordObjectName, nullptr, "Name of host"},
};

// delete-lun-number
const CommandNode kDeleteLunNumber[] = {
    {NODE_VALUE | NODE_LAST, recordObjectName, nullptr, "Logical Unit Number"},
};

// delete-vdisk-name
const CommandNode kDeleteVdiskName[] = {
    {NODE_VALUE | NODE_LAST, recordObjectName, kDeleteVdiskOptions, "Name of Vdisk"},
};

// delete-vdisk-options
const CommandNode kDeleteVdiskOptions[] = {
    {0, putFixed<kDeletionWait>, kDeleteVdiskOptions, "WAIT_FOR_COMPLETION"},
    {NODE_LAST, putFixed<kDeletionNoWait>, kDeleteVdiskOptions, "NOWAIT_FOR_COMPLETION"},
};

// exercise-actions
const CommandNode kExerciseActions[] = {
    {0, nullptr, kExerciseDisks, "START"},
    {0, installStopExercise, nullptr, "STOP"},
    {NODE_LAST, installExerciseSummary, nullptr, "SUMMARY"},
};

// exercise-disks
const CommandNode kExerciseDisks[] = {
    {0, startAllDisks, nullptr, "ALL"},
    {NODE_VALUE | NODE_LAST, startListedDisks, nullptr, "List of fully qualified disk names to exercise, comma separated"},
};

// file-name
const CommandNode kFileName[] = {
    {NODE_VALUE | NODE_LAST, installRunScript, nullptr, "Filename of Quill commands"},
};

// regression-actions
const CommandNode kRegressionActions[] = {
    {0, nullptr, kRegressionCapture, "CAPTURE"},
    {NODE_LAST, nullptr, kRegressionTestFile, "TEST"},
};

// regression-capture
const CommandNode kRegressionCapture[] = {
    {0, installEndCapture, nullptr, "EXIT"},
    {NODE_VALUE | NODE_LAST, installStartCapture, nullptr, "Name of regression file to create"},
};

// regression-test-file
const CommandNode kRegressionTestFile[] = {
    {NODE_VALUE | NODE_LAST, installRegressionTest, nullptr, "Name of regression file to run"},
};

// power-object-name
const CommandNode kPowerObjectName[] = {
    {NODE_VALUE | NODE_LAST, recordObjectName, kPowerOptions, "Name of power object"},
};

// power-options
const CommandNode kPowerOptions[] = {
    {0, putFixed<kAllPeers>, kPowerOptions, "ALL_PEERS"},
    {NODE_LAST, putFixed<kNoAllPeers>, kPowerOptions, "NOALL_PEERS"},
};

// select-objects
const CommandNode kSelectObjects[] = {
    {NODE_HIDDEN, nullptr, kSelectSystemName, "CELL"},
    {0, nullptr, kManagerAddress, "MANAGER"},
    {NODE_LAST, nullptr, kSelectSystemName, "SYSTEM"},
};

// select-system-name
const CommandNode kSelectSystemName[] = {
    {NODE_VALUE | NODE_LAST, selectSystem, nullptr, "Name of storage system"},
};

// manager-address
const CommandNode kManagerAddress[] = {
    {NODE_VALUE | NODE_LAST, recordManagerAddress, kManagerOptions, "IP address of managing appliance"},
};

// manager-options
const CommandNode kManagerOptions[] = {
    {NODE_EQUALS, nullptr, kManagerPassword, "PASSWORD"},
    {NODE_EQUALS | NODE_LAST, nullptr, kManagerUsername, "USERNAME"},
};

// manager-password
const CommandNode kManagerPassword[] = {
    {NODE_VALUE | NODE_LAST, recordPassword, kManagerOptions, "Password for SAN access"},
};

// manager-username
const CommandNode kManagerUsername[] = {
    {NODE_VALUE | NODE_LAST, recordUserName, kManagerOptions, "Username for SAN access"},
};

// set-objects
const CommandNode kSetObjects[] = {
    {NODE_HIDDEN, installSetSystem, kSetSystemName, "CELL"},
    {0, installSetDisk, kSetSimpleName, "DISK"},
    {0, installSetGroup, kSetGroupName, "DISK_GROUP"},
    {0, installSetDrGroup, kSetDrgroupName, "DR_GROUP"},
    {0, installSetFolder, kSetSimpleName, "FOLDER"},
    {NODE_HIDDEN, installSetGroup, kSetGroupName, "GROUP"},
    {0, installSetHost, kSetHostName, "HOST"},
    {0, installSetMonitor, kSetSimpleName, "MONITOR"},
    {0, stageOptions, kOptions, "OPTIONS"},
    {NODE_HIDDEN, installSetVdisk, kSetVdiskName, "STORAGE"},
    {0, installSetSystem, kSetSystemName, "SYSTEM"},
    {NODE_LAST, installSetVdisk, kSetVdiskName, "VDISK"},
};

// set-system-name
const CommandNode kSetSystemName[] = {
    {NODE_VALUE | NODE_LAST, recordObjectName, kSetSystemOptions, "Name of object to set"},
};

// set-system-options
const CommandNode kSetSystemOptions[] = {
    {NODE_EQUALS | NODE_STRING, recordComment, nullptr, "COMMENT"},
    {NODE_EQUALS | NODE_DECIMAL, recordUnitId, nullptr, "CONSOLE_LUN_ID"},
    {NODE_EQUALS | NODE_LAST, nullptr, kNewName, "NAME"},
};

// new-name
const CommandNode kNewName[] = {
    {NODE_VALUE | NODE_LAST, recordNewName, nullptr, "New name of object"},
};

// set-simple-name
const CommandNode kSetSimpleName[] = {
    {NODE_VALUE | NODE_LAST, recordObjectName, kSetSimpleOptions, "Name of object to set"},
};

// set-simple-options
const CommandNode kSetSimpleOptions[] = {
    {NODE_EQUALS | NODE_STRING, recordComment, nullptr, "COMMENT"},
    {NODE_EQUALS | NODE_LAST, nullptr, kNewName, "NAME"},
};

// set-group-name
const CommandNode kSetGroupName[] = {
    {NODE_VALUE | NODE_LAST, recordObjectName, kSetGroupOptions, "Name of group"},
};

// set-group-options
const CommandNode kSetGroupOptions[] = {
    {NODE_EQUALS | NODE_DECIMAL, recordAddDiskCount, nullptr, "ADD"},
    {NODE_EQUALS | NODE_STRING, recordComment, nullptr, "COMMENT"},
    {NODE_EQUALS, nullptr, kGroupDiskName, "DELETE"},
    {NODE_EQUALS, nullptr, kNewName, "NAME"},
    {NODE_EQUALS | NODE_DECIMAL, recordOccupancyAlarm, nullptr, "OCCUPANCY_ALARM"},
    {NODE_EQUALS | NODE_LAST, nullptr, kSetGroupSparePolicies, "SPARE_POLICY"},
};

// group-disk-name
const CommandNode kGroupDiskName[] = {
    {NODE_VALUE | NODE_LAST, recordArgument<&WorkArea::deleteDiskArg>, nullptr, "Name of disk"},
};

// set-group-spare-policies
const CommandNode kSetGroupSparePolicies[] = {
    {0, putFixed<kSparePolicyDouble>, kSetGroupOptions, "DOUBLE"},
    {0, putFixed<kSparePolicyNone>, kSetGroupOptions, "NONE"},
    {NODE_LAST, putFixed<kSparePolicySingle>, kSetGroupOptions, "SINGLE"},
};

// set-drgroup-name
const CommandNode kSetDrgroupName[] = {
    {NODE_VALUE | NODE_LAST, recordObjectName, kSetDrgroupOptions, "Name of DR_GROUP set"},
};

// set-drgroup-options
const CommandNode kSetDrgroupOptions[] = {
    {NODE_EQUALS, nullptr, kSetDrgroupAccessModes, "ACCESSMODE"},
    {NODE_EQUALS, startAddMember, kDrgroupAddVdisk, "ADD_VDISK"},
    {NODE_EQUALS | NODE_STRING, recordDrGroupComment, nullptr, "COMMENT"},
    {NODE_EQUALS, startDeleteMember, kDrgroupMemberVdisk, "DELETE_VDISK"},
    {NODE_EQUALS, startDetachMember, kDrgroupMemberVdisk, "DETACH_VDISK"},
    {0, putFixedLast<kSiteFailover>, nullptr, "FAILOVER"},
    {0, putFixedLast<kFailsafeOn>, nullptr, "FAILSAFE"},
    {0, putFixedLast<kFailsafeOff>, nullptr, "NOFAILSAFE"},
    {NODE_EQUALS, nullptr, kDrgroupNewName, "NAME"},
    {0, putFixedLast<kSuspend>, nullptr, "SUSPEND"},
    {0, putFixedLast<kResume>, nullptr, "NOSUSPEND"},
    {NODE_EQUALS | NODE_LAST, nullptr, kSetDrgroupWriteModes, "WRITEMODE"},
};

// set-drgroup-access-modes
const CommandNode kSetDrgroupAccessModes[] = {
    {0, putFixedLast<kAccessReadOnly>, nullptr, "READONLY"},
    {NODE_LAST, putFixedLast<kAccessDisable>, nullptr, "DISABLE"},
};

// drgroup-add-vdisk
const CommandNode kDrgroupAddVdisk[] = {
    {NODE_VALUE | NODE_LAST, recordArgument<&WorkArea::vdiskNameArg>, kDrgroupAddVdiskOptions, "Name of Vdisk"},
};

// drgroup-add-vdisk-options
const CommandNode kDrgroupAddVdiskOptions[] = {
    {NODE_EQUALS, nullptr, kDrgroupAddDestinationGroup, "DESTINATION_DISK_GROUP"},
    {NODE_EQUALS | NODE_LAST, nullptr, kDrgroupAddDestinationVdisk, "DESTINATION_VDISK_NAME"},
};

// drgroup-add-destination-group
const CommandNode kDrgroupAddDestinationGroup[] = {
    {NODE_VALUE | NODE_LAST, recordArgument<&WorkArea::destinationGroupArg>, kDrgroupAddVdiskOptions, "Name of Vdisk"},
};

// drgroup-add-destination-vdisk
const CommandNode kDrgroupAddDestinationVdisk[] = {
    {NODE_VALUE | NODE_LAST, recordRemoteVdiskName, kDrgroupAddVdiskOptions, "Name of Vdisk"},
};

// drgroup-member-vdisk
const CommandNode kDrgroupMemberVdisk[] = {
    {NODE_VALUE | NODE_LAST, recordArgument<&WorkArea::vdiskNameArg>, nullptr, "Name of Vdisk"},
};

// drgroup-new-name
const CommandNode kDrgroupNewName[] = {
    {NODE_VALUE | NODE_LAST, recordDrGroupNewName, nullptr, "New name of object"},
};

// set-drgroup-write-modes
const CommandNode kSetDrgroupWriteModes[] = {
    {0, putFixedLast<kWriteModeAsynchronous>, nullptr, "ASYNCHRONOUS"},
    {NODE_LAST, putFixedLast<kWriteModeSynchronous>, nullptr, "SYNCHRONOUS"},
};

// set-host-name
const CommandNode kSetHostName[] = {
    {NODE_VALUE | NODE_LAST, recordObjectName, kSetHostOptions, "Name of object to set"},
};

// set-host-options
const CommandNode kSetHostOptions[] = {
    {NODE_EQUALS, putFixed<kAddAdapter>, kSetHostWwn, "ADD_WORLD_WIDE_NAME"},
    {NODE_EQUALS | NODE_STRING, recordComment, nullptr, "COMMENT"},
    {NODE_EQUALS, putFixed<kDeleteAdapter>, kSetHostWwn, "DELETE_WORLD_WIDE_NAME"},
    {NODE_EQUALS, nullptr, kSetHostIp, "IP"},
    {NODE_EQUALS, recordObjectName, kNewName, "NAME"},
    {NODE_EQUALS | NODE_LAST, nullptr, kSetHostOsModes, "OPERATING_SYSTEM"},
};

// set-host-wwn
const CommandNode kSetHostWwn[] = {
    {NODE_VALUE | NODE_LAST, recordAdapter, nullptr, "World Wide Name in the form 6nnn-nnnn-nnnn-nnnn-nnnn-nnnn-nnnn-nnnn"},
};

// set-host-ip
const CommandNode kSetHostIp[] = {
    {NODE_VALUE | NODE_LAST, recordHostAddress, nullptr, "IP address in the form of nnn.nnn.nnn.nnn"},
};

// set-host-os-modes
const CommandNode kSetHostOsModes[] = {
    {NODE_EQUALS, nullptr, kSetHostCustomMask, "CUSTOM"},
    {0, putFixed<kModeOrdan>, nullptr, "ORDAN"},
    {0, putFixed<kModeArven>, nullptr, "ARVEN"},
    {0, putFixed<kModeBraskel>, nullptr, "BRASKEL"},
    {0, putFixed<kModeMirador>, nullptr, "MIRADOR"},
    {0, putFixed<kModeValmer>, nullptr, "VALMER"},
    {0, putFixed<kModeUnknown>, kAddHostOptions, "UNKNOWN"},
    {NODE_LAST, putFixed<kModeTemplar>, nullptr, "TEMPLAR"},
};

// set-host-custom-mask
const CommandNode kSetHostCustomMask[] = {
    {NODE_VALUE | NODE_LAST, recordCustomMode, nullptr, "Host funtionality mask"},
};

// options
const CommandNode kOptions[] = {
    {NODE_EQUALS | NODE_DECIMAL, stageCommandDelay, kOptions, "COMMAND_DELAY"},
    {0, stageNoCommandDelay, kOptions, "NOCOMMAND_DELAY"},
    {NODE_EQUALS | NODE_DECIMAL, stageDisplayWidth, kOptions, "DISPLAY_WIDTH"},
    {NODE_EQUALS, nullptr, kOnErrorPolicies, "ON_ERROR"},
    {NODE_EQUALS | NODE_DECIMAL, stageRetries, kOptions, "RETRIES"},
    {0, stageNoRetries, kOptions, "NORETRIES"},
    {0, stageSafeDelete, kOptions, "SAFE_DELETE"},
    {NODE_LAST, stageNoSafeDelete, kOptions, "NOSAFE_DELETE"},
};

// on-error-policies
const CommandNode kOnErrorPolicies[] = {
    {0, stageOnErrorContinue, kOptions, "CONTINUE"},
    {0, stageOnErrorExit, kOptions, "EXIT_ON_ERROR"},
    {NODE_LAST, stageOnErrorHalt, kOptions, "HALT_ON_ERROR"},
};

// set-vdisk-name
const CommandNode kSetVdiskName[] = {
    {NODE_VALUE | NODE_LAST, recordObjectName, kSetVdiskOptions, "Name of Vdisk"},
};

// set-vdisk-options
const CommandNode kSetVdiskOptions[] = {
    {NODE_EQUALS | NODE_STRING, recordComment, nullptr, "COMMENT"},
    {0, putFixed<kMirroredWriteBack>, nullptr, "MIRRORED_WRITEBACK"},
    {0, putFixed<kUnmirroredWriteBack>, nullptr, "NOMIRRORED_WRITEBACK"},
    {NODE_EQUALS, nullptr, kNewName, "NAME"},
    {NODE_EQUALS | NODE_DECIMAL, recordUnitId, nullptr, "OS_UNIT_ID"},
    {NODE_EQUALS, nullptr, kSetVdiskPaths, "PREFERRED_PATH"},
    {0, putFixed<kNoPreferredPath>, nullptr, "NOPREFERRED_PATH"},
    {0, putFixed<kReadCacheOn>, nullptr, "READ_CACHE"},
    {0, putFixed<kReadCacheOff>, nullptr, "NOREAD_CACHE"},
    {NODE_EQUALS | NODE_DECIMAL, recordSize, nullptr, "SIZE"},
    {NODE_EQUALS, nullptr, kSetVdiskWwlunName, "WORLD_WIDE_LUN_NAME"},
    {0, putFixed<kWriteProtectOn>, nullptr, "WRITE_PROTECT"},
    {NODE_LAST, putFixed<kWriteProtectOff>, nullptr, "NOWRITE_PROTECT"},
};

// set-vdisk-paths
const CommandNode kSetVdiskPaths[] = {
    {0, putFixed<kPathAFailover>, nullptr, "PATH_A_FAILOVER"},
    {0, putFixed<kPathABoth>, nullptr, "PATH_A_BOTH"},
    {0, putFixed<kPathBFailover>, nullptr, "PATH_B_FAILOVER"},
    {NODE_LAST, putFixed<kPathBBoth>, nullptr, "PATH_B_BOTH"},
};

// set-vdisk-wwlun-name
const CommandNode kSetVdiskWwlunName[] = {
    {NODE_VALUE | NODE_LAST, recordLunWorldWideName, nullptr, "World Wide Name in the form 6nnn-nnnn-nnnn-nnnn-nnnn-nnnn-nnnn-nnnn"},
};

// show-objects
const CommandNode kShowObjects[] = {
    {NODE_HIDDEN, installShow<kSystems>, kShowSelection, "CELL"},
    {0, installShow<kDisks>, kShowSelection, "DISK"},
    {NODE_HIDDEN | NODE_FULL_WORD, installShow<kDiskEvents>, kShowSelection, "DISK_EVENT"},
    {0, installShow<kDiskGroups>, kShowSelection, "DISK_GROUP"},
    {0, installShow<kDrGroups>, kShowDrgroupSelection, "DR_GROUP"},
    {0, installShow<kFolders>, kShowSelection, "FOLDER"},
    {NODE_HIDDEN, installShow<kDiskGroups>, kShowSelection, "GROUP"},
    {0, installShow<kHosts>, kShowSelection, "HOST"},
    {0, installShow<kLuns>, kShowSelection, "LUN"},
    {NODE_HIDDEN | NODE_FULL_WORD, installShow<kManagementEvents>, nullptr, "MANAGEMENT_EVENT"},
    {0, installShowManager, kShowSelection, "MANAGER"},
    {0, installShow<kMonitors>, kShowSelection, "MONITOR"},
    {0, installShowOptions, nullptr, "OPTIONS"},
    {0, installShow<kPower>, kShowSelection, "POWER"},
    {NODE_HIDDEN, installShow<kVdisks>, kShowSelection, "STORAGE"},
    {0, installShow<kSystems>, kShowSelection, "SYSTEM"},
    {NODE_HIDDEN | NODE_FULL_WORD, installShowTime, nullptr, "TIME"},
    {0, installShow<kVdisks>, kShowSelection, "VDISK"},
    {NODE_LAST, installShow<kWorldWideNames>, nullptr, "WORLD_WIDE_NAME"},
};

// show-selection
const CommandNode kShowSelection[] = {
    {0, setFullDisplay, nullptr, "FULL"},
    {0, clearFullDisplay, nullptr, "NOFULL"},
    {NODE_VALUE | NODE_LAST, recordObjectName, nullptr, "Name of object to show"},
};

// show-drgroup-selection
const CommandNode kShowDrgroupSelection[] = {
    {0, setFullDisplay, nullptr, "FULL"},
    {0, clearFullDisplay, nullptr, "NOFULL"},
    {NODE_VALUE | NODE_LAST, recordObjectName, nullptr, "Name of DR_GROUP set"},
};

// clang-format on

}  // namespace

const CommandNode* rootList() { return kRoot; }

}  // namespace language
