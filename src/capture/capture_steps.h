// The steps of a capture, in the order a restore replays them, and what
// each one writes after its header.
#pragma once

#include "capture/capture_writer.h"

namespace capture {

struct CaptureStep {
  const char* name;
  int (*writeBody)(CaptureWriter& writer);
};

// Step1A: the basic configuration; Step1B and Step1C: the virtual disks
// that are DR sources and their LUNs; Step2: the DR groups; Step3: the LUNs
// of DR destination virtual disks.
extern const CaptureStep kCaptureSteps[kStepCount];

}  // namespace capture
