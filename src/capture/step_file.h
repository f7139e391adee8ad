// The files a capture writes, one per step: their names, opening one with
// the checksum start lines, keeping it sealed or discarding it, and the
// step files an earlier capture left under the same names.
#pragma once

#include "capture/capture_writer.h"

namespace capture {

// The step file's name: the file name given, split at the first "." of
// its last path component, with "_" and the step name put in between
// (./out/config.txt and Step1A give ./out/config_Step1A.txt). Tracked.
char* stepFileName(const char* fileName, const char* stepName);

// Opens new content for the step file, for reading and writing, makes it
// the writer's output and writes the checksum start lines. The content
// takes the name only when closeStepFile() keeps it; until then a fatal
// stop discards it. 0, or 1 after printing why, with no file left open.
int openStepFile(CaptureWriter& writer, const char* name);

// Ends the step file: unless the step failed, it is sealed with its
// checksum end line. A step that failed, fails here or got no command
// leaves no new file, and one that got no command leaves no file of that
// name at all. Otherwise the sealed file takes the name, complete; the
// first one kept removes the earlier capture's other step files first.
// 0, or 1 when the step fails here (printed).
int closeStepFile(CaptureWriter& writer, const char* name, bool stepFailed);

// After a failed capture: lists the earlier capture's step files that were
// removed and not replaced, so the user knows the set is this capture's.
void reportRemovedEarlierSteps(const CaptureWriter& writer);

}  // namespace capture
