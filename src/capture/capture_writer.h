// The state of one CAPTURE CONFIGURATION run: one tracked block that lives
// for the command. The texts it points to are tracked too; the writers that
// fill them give them back when their step ends, whatever its result.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "session/session.h"

namespace capture {

// Room for the line being built and its terminator. FILE rejects a line
// that reaches 2048 characters with its line feed, so a written line holds
// at most kLineLimit - 2 characters and always replays.
inline constexpr std::size_t kLineLimit = 2048;
inline constexpr std::size_t kLongestLine = kLineLimit - 2;

// The steps of a capture (capture_steps.h).
inline constexpr std::size_t kStepCount = 5;

// A disk group's line, held back until the system exists.
struct DeferredGroupLine {
  DeferredGroupLine* next;
  char* line;
  char* groupName;
};

// The disk group that ADD SYSTEM creates as the system's first one.
struct DefaultGroup {
  char* name;
  char* sparePolicy;
  char* alarmDigits;
  char* diskType;
  char* comment;
  uint32_t deviceCount;
};

struct CaptureWriter {
  session::CommandContext* context;
  std::FILE* output;  // the open step file, or the standard output
  bool toFile;
  char captureLine[kLineLimit];
  std::size_t lineLength;
  DefaultGroup defaultGroup;
  DeferredGroupLine* deferredGroupLines;  // newest first
  bool stepWroteCommand;
  char* controllerNames[2];
  bool customControllerNames;
  uint32_t progressCount;
  char captureTime[32];
  // The step files of an earlier capture found at the start (tracked names,
  // null where there was none). When every step has succeeded they go and
  // this capture's files take the names, so the names never hold steps of
  // two captures; a name is forgotten once this capture's own file has
  // replaced it.
  char* earlierStepFiles[kStepCount];
  bool earlierStepsRemoved;
  // The names of this capture's sealed step files (tracked, null for a
  // step that wrote none), which take their names only together.
  char* newStepFiles[kStepCount];
};

}  // namespace capture
