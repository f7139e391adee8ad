// The files a capture writes, one per step: their names, opening one with
// the checksum start lines, sealing it or discarding it, and putting the
// whole set in the place of the step files an earlier capture left under
// the same names, or leaving those as they were.
#pragma once

#include <cstddef>

#include "capture/capture_writer.h"

namespace capture {

// The step file's name: the file name given, split at the first "." of
// its last path component, with "_" and the step name put in between
// (./out/config.txt and Step1A give ./out/config_Step1A.txt). Tracked.
char* stepFileName(const char* fileName, const char* stepName);

// Opens new content for the file of step `step` (its index in
// kCaptureSteps), for reading and writing, makes it the writer's output
// and writes the checksum start lines. 0, or 1 after printing why, with no
// file left open.
int openStepFile(CaptureWriter& writer, std::size_t step, const char* name);

// Ends the step's file: unless the step failed, it is sealed with its
// checksum end line and waits for keepStepFiles(), noted in the writer's
// newStepFiles. A step that failed, fails here or got no command drops its
// new content. 0, or 1 when the step fails here (printed).
int closeStepFile(CaptureWriter& writer, std::size_t step, const char* name,
                  bool stepFailed);

// Once every step has succeeded: the earlier capture's step files go, and
// the sealed files take their names, so the names hold the steps of one
// capture, and an earlier step this capture found unnecessary has no file
// any more. For --json the files written and the earlier ones removed are
// the line's "files" and "removed". 0, or 1 after printing why a file
// could not take its name.
int keepStepFiles(CaptureWriter& writer);

// Drops every sealed file that has not taken its name: a capture that
// failed leaves the earlier step files exactly as they were.
void dropStepFiles();

// After a capture that failed while its files took their names: lists the
// earlier capture's step files that were removed and not replaced.
void reportRemovedEarlierSteps(const CaptureWriter& writer);

}  // namespace capture
