// Why the manager refuses a request: each reason has its message number and
// its text, carried by NotSuccessMsg and MessageNum (or statuscode).
#pragma once

#include <string_view>

#include "sim/answer.h"

namespace sim {

enum class Refusal {
  kMalformedRequest,
  kUnsupportedOperation,
  kMissingProperty,
  kInvalidValue,
  kNoSuchSystem,
  kNoSuchObject,
  kNotInitialized,
  kAlreadyInitialized,
  kControllersDown,
  kNameInUse,
  kInvalidName,
  kInvalidComment,
  kWrongFolder,
  kRootFolder,
  kFolderNotEmpty,
  kNotEnoughDisks,
  kNoCapacity,
  kGroupInUse,
  kTooFewDisks,
  kDiskNotInGroup,
  kVdiskHasSnapshots,
  kNotActive,
  kTooManySnapshots,
  kCannotShrink,
  kDrMember,
  kDrDestination,
  kNotDrMember,
  kSameSystem,
  kLunInUse,
  kAlreadyPresented,
  kHostPresented,
  kAdapterInUse,
  kNoSuchAdapter,
  kWwnInUse,
  kExerciseRunning,
  kExerciseStopped,
  kNoXmlInterface,
  kNotAuthorized,
};

struct RefusalText {
  Refusal reason;
  int number;
  const char* text;
};

// The message number of a reason.
int RefusalNumber(Refusal reason);

// A refusal answer: the reason's text, followed by ": " and `detail` when
// the detail is not empty.
Answer Refuse(Refusal reason, std::string_view detail = {});

}  // namespace sim
