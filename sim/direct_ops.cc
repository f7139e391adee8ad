// The XML interface's own operations: system information, rediscovery and
// the disk exercise.
#include "sim/handlers.h"

namespace sim {

Answer GetSystemInfo(Context& c) {
  Answer answer;
  answer.items = {Leaf("emversion", c.model.version),
                  Leaf("embuild", c.model.build),
                  Leaf("emname", "pelk-sim element manager")};
  return answer;
}

Answer DiscoverStorageCell(Context& c) {
  for (StorageSystem& system : c.model.systems) {
    RecordEvent(c.model, system, "system", "0x0A01",
                "Storage system rediscovered");
  }
  return Done("Storage cell discovery complete");
}

Answer StartDiskExercise(Context& c) {
  StorageSystem& s = *c.system;
  if (s.exercise.running) return Refuse(Refusal::kExerciseRunning, s.name);
  std::vector<std::string> disks = AllProperties(c.request, "diskid");
  if (disks.empty()) return Refuse(Refusal::kMissingProperty, "diskid");
  for (const std::string& id : disks) {
    if (FindDisk(s, id) == nullptr) return Refuse(Refusal::kNoSuchObject, id);
  }
  s.exercise = DiskExercise{true, disks, 0};
  return Done("Disk exercise started on " + std::to_string(disks.size()) +
              " disks");
}

Answer StopDiskExercise(Context& c) {
  StorageSystem& s = *c.system;
  if (!s.exercise.running) return Refuse(Refusal::kExerciseStopped, s.name);
  s.exercise.running = false;
  return Done("Disk exercise stopped");
}

// The exercise advances one pass with every summary asked for, so a run of
// requests always sees the same progress.
Answer DiskExerciseSummary(Context& c) {
  StorageSystem& s = *c.system;
  if (s.exercise.diskIds.empty()) {
    return Refuse(Refusal::kExerciseStopped, s.name);
  }
  if (s.exercise.running) ++s.exercise.passes;
  std::string names;
  for (const std::string& id : s.exercise.diskIds) {
    const Disk* disk = FindDisk(s, id);
    if (!names.empty()) names += ", ";
    names += disk != nullptr ? disk->name : id;
  }
  std::string text = std::string("Disk exercise ") +
                     (s.exercise.running ? "running" : "stopped") + ", " +
                     std::to_string(s.exercise.passes) +
                     " passes completed, no errors found. Disks: " + names;
  Answer answer;
  answer.items.push_back(Leaf("diskexercisesummary", text));
  return answer;
}

}  // namespace sim
