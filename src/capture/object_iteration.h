// Walking the objects of one kind for a step: the kind's list is read
// afresh, each object's details are fetched and handed to a writer.
#pragma once

#include "capture/capture_writer.h"
#include "request/object_kinds.h"

namespace capture {

// Writes one object from its details; `index` counts the objects taken
// from 0. 0, or 1 after printing why, which ends the step.
using ObjectWriter = int (*)(CaptureWriter& writer,
                             const session::ResponseNode* details, int index);

// The details of one object, taken out of the work area so that further
// requests leave them alone; the caller releases them. 0, or 1 after
// printing why.
int fetchDetails(CaptureWriter& writer, request::ObjectKind kind,
                 const char* id, session::ResponseNode*& details);

// Runs `write` for every object of the kind in list order. Folders are
// taken by depth, parents before children; of the systems only the
// selected one. Writing to a file prints a progress mark per object
// taken. 0, or 1 at the first failure.
int forEachObject(CaptureWriter& writer, request::ObjectKind kind,
                  ObjectWriter write);

}  // namespace capture
