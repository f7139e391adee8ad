// The files a capture writes, one per step: their names, opening one with
// the checksum start lines, and closing it sealed or discarding it.
#pragma once

#include "capture/capture_writer.h"

namespace capture {

// The step file's name: the file name given, split at the first "." of
// its last path component, with "_" and the step name put in between
// (./out/config.txt and Step1A give ./out/config_Step1A.txt). Tracked.
char* stepFileName(const char* fileName, const char* stepName);

// Creates or empties the file for reading and writing, makes it the
// writer's output and writes the checksum start lines. Until it is closed,
// a fatal stop deletes it. 0, or 1 after printing why, with no file left
// open.
int openStepFile(CaptureWriter& writer, const char* name);

// Ends the step file: unless the step failed, it is sealed with its
// checksum end line; then it is closed. A file that failed here, belongs to
// a failed step or got no command is deleted, so no truncated script is
// left behind. 0, or 1 when the step fails here (printed).
int closeStepFile(CaptureWriter& writer, const char* name, bool stepFailed);

}  // namespace capture
