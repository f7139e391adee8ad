// Internal to the operations: the context every handler receives and the
// handlers the dispatch table names.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "sim/answer.h"
#include "sim/model.h"
#include "sim/refusals.h"
#include "sim/request.h"
#include "sim/text.h"

namespace sim {

struct Context {
  Model& model;
  const OperationRequest& request;
  StorageSystem* system = nullptr;  // resolved by the dispatch when needed
};

inline const std::string* Prop(const Context& c, std::string_view name) {
  return FindProperty(c.request, name);
}

// A success answer carrying `message` and, when given, the new object's id.
Answer Done(std::string message, std::string_view id = {});

// A pair of texts: what a client sends and what the array stores and shows.
struct Term {
  const char* sent;
  const char* stored;
};
// The stored text for `sent` (compared without regard to case), if listed.
template <size_t N>
std::optional<std::string> Translate(const Term (&terms)[N],
                                     std::string_view sent);

// Decimal integers in [low, high]; nothing for anything else.
std::optional<int> ParseNumber(std::string_view text, int low, int high);

// Normalises a world wide name of `digits` hexadecimal digits (dashes
// allowed anywhere) to upper-case groups of four joined by dashes.
std::optional<std::string> NormaliseWwn(std::string_view text, size_t digits);

// Checks a new leaf name against the rules and the names already in the
// folder; an answer when refused.
std::optional<Answer> CheckNewName(std::string_view name, bool taken);

// Reads the optional "comments" property into `comment`; an answer when the
// comment breaks the rules.
std::optional<Answer> ReadComment(const Context& c, std::string& comment,
                                  std::string_view key = "comments");

// Whether `name` names something in the folder already: a sub-folder, a
// virtual disk family, a host, a disk group or a DR group (other than the
// object `exceptId`).
bool NameTakenInFolder(const StorageSystem& system, std::string_view folderId,
                       std::string_view name, std::string_view exceptId = {});

// The folder listed under `path` ("\Virtual Disks\Sales\"), or nullptr.
Folder* FolderByPath(StorageSystem& system, std::string_view path);

// The folder for a new object of the root `root`: the one "FolderID" names
// (which must lie below that root), else the root itself.
std::optional<Answer> ChooseFolder(Context& c, std::string_view root,
                                   std::string& folderId);

// Queries.
Answer GetObjects(Context& c);
Answer GetProperties(Context& c);
Answer GetObjectList(Context& c);

// Systems, power and monitors.
Answer CreateSystem(Context& c);
Answer SetSystem(Context& c);
Answer DeleteSystem(Context& c);
Answer SetPower(Context& c);
Answer SetMonitor(Context& c);

// Disk groups, folders and disks.
Answer CreateDiskGroup(Context& c);
Answer SetDiskGroup(Context& c);
Answer DeleteDiskGroup(Context& c);
Answer CreateFolder(Context& c);
Answer SetFolder(Context& c);
Answer DeleteFolder(Context& c);
Answer SetDisk(Context& c);

// Hosts and LUNs.
Answer CreateHost(Context& c);
Answer SetHost(Context& c);
Answer DeleteHost(Context& c);
Answer CreateLun(Context& c);
Answer DeleteLun(Context& c);

// Virtual disks, snapshots and copies.
Answer CreateVdisk(Context& c);
Answer SetVdisk(Context& c);
Answer DeleteVdisk(Context& c);
Answer CopyVdisk(Context& c);

// DR groups.
Answer CreateDrGroup(Context& c);
Answer SetDrGroup(Context& c);
Answer DeleteDrGroup(Context& c);
Answer ChangeDrMembership(Context& c, Vdisk& vdisk);
// Removes the DR groups other systems pair with `system`; their members stay
// as ordinary virtual disks.
void UnpairSystem(Model& model, const StorageSystem& system);

// Direct operations of the XML interface.
Answer GetSystemInfo(Context& c);
Answer DiscoverStorageCell(Context& c);
Answer StartDiskExercise(Context& c);
Answer StopDiskExercise(Context& c);
Answer DiskExerciseSummary(Context& c);

template <size_t N>
std::optional<std::string> Translate(const Term (&terms)[N],
                                     std::string_view sent) {
  for (const Term& term : terms) {
    if (EqualsIgnoringCase(term.sent, sent)) return std::string(term.stored);
  }
  return std::nullopt;
}

// One optional enumerated property of the request, translated into
// `target`; an answer when its value is not one of the terms.
template <size_t N>
std::optional<Answer> ReadTerm(const Context& c, const char* key,
                               const Term (&terms)[N], std::string& target) {
  const std::string* value = Prop(c, key);
  if (value == nullptr) return std::nullopt;
  auto stored = Translate(terms, *value);
  if (!stored) return Refuse(Refusal::kInvalidValue, key + (" " + *value));
  target = *stored;
  return std::nullopt;
}

}  // namespace sim
