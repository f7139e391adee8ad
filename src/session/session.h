// The one session of the process and the parse state of the current line.
#pragma once

#include <cstdint>
#include <cstdio>

#include "session/output.h"

namespace session {

// The result of parsing one line; also what a node handler returns to stop
// parsing.
enum ParseStatus : int {
  ParseOk = 0,
  ParseFailed = 1,
  ParseHelpShown = 2,
  ParseTokenNotFound = 3,
  ParseAmbiguous = 4,
  ParseIncomplete = 5,
  ParseSyntaxError = 6,
  ParseNoResources = 7,
};

// Bits of SessionState::sessionFlags.
enum SessionFlag : uint32_t {
  kExitRequested = 0x01,
  kDump = 0x02,
  kStopOnError = 0x04,
  kExitOnError = 0x08,
  kStoppedOnError = 0x10,
  kRegressionCapture = 0x20,
  kRegressionTesting = 0x40,
};

// Bits of WorkArea::resultFlags.
enum ResultFlag : uint32_t {
  kFullDisplay = 0x01,
  kServerSuccess = 0x02,
  kServerFailure = 0x04,
};

enum class RunMode { kNone = 0, kInteractive = 1, kScript = 2, kArguments = 3 };

struct SessionState;

inline constexpr int kMaxListValues = 20;

// A property the next request will carry; name and value are owned, kept
// in the same block as the record.
struct PendingProperty {
  PendingProperty* next;
  char* name;
  char* value;  // may be empty
};

// One node of a parsed server answer. Anchors (the root, array rows,
// category heads, array and category tails) have no name. The labels are
// kept in the value of two kinds of anchor (no other anchor has a value),
// behind a mark byte: a category node holds its own, an array's tail anchor
// the array's; categoryLabel() and arrayLabel() read them.
struct ResponseNode {
  ResponseNode* child;  // first array row, or a category
  ResponseNode* next;
  char* name;
  char* value;  // verbatim text; empty for an empty-element tag

  // Set only in a category node: the label current when it began.
  const char* categoryLabel() const;
  // Set in the node an array hangs below: the label current when the array
  // began.
  const char* arrayLabel() const;
};

// The marks in front of a label kept in an anchor's value.
inline constexpr char kCategoryLabelMark = '\x01';
inline constexpr char kArrayLabelMark = '\x02';

inline const char* ResponseNode::categoryLabel() const {
  return name == nullptr && value != nullptr && value[0] == kCategoryLabelMark
             ? value + 1
             : nullptr;
}

// An array's tail anchor follows the node the array hangs below, always.
inline const char* ResponseNode::arrayLabel() const {
  return next != nullptr && next->name == nullptr && next->value != nullptr &&
                 next->value[0] == kArrayLabelMark
             ? next->value + 1
             : nullptr;
}

// One known object: its name as the server reported it (with a duplicate
// suffix when needed) and the server's identifier.
struct ObjectToken {
  ObjectToken* next;
  uint8_t kind;
  char* name;
  char* id;
};

inline constexpr int kObjectKindCount = 17;

// Room for one request text with its terminator.
inline constexpr int kRequestCapacity = 30000;

// The parse state of the line being executed; one for the whole process.
struct CommandContext {
  const char* lineStart;
  const char* cursor;
  uint32_t remaining;
  uint32_t number;
  uint32_t listCount;
  uint32_t listValues[kMaxListValues];
  uint32_t tokenLength;
  const char* tokenStart;  // not terminated: copy it by length
  SessionState* session;
};

using FinalHandler = int (*)(CommandContext& context);

struct SessionOptions {
  uint32_t displayWidth = 80;  // characters, 70 to 500
  uint32_t retries = 4;        // minutes, 1 to 10, or 0
  uint32_t commandDelay = 10;  // seconds, 0 to 300
  bool safeDelete = true;
};

// SET OPTIONS stages its values here; they apply only when the whole line
// has parsed.
struct StagedOptions {
  uint32_t sessionFlags;
  SessionOptions options;
};

// Reset before every line; whatever it owns is released after the line.
struct WorkArea {
  uint32_t resultFlags;
  FinalHandler finalHandler;
  char* currentLabel;
  char* objectNameArg;
  char* newNameArg;
  char* folderPath;  // with its trailing backslash
  char* captureFileArg;
  // Further names the object commands record while the line is parsed.
  char* diskGroupArg;          // DISK_GROUP of a new virtual disk or copy
  char* sourceVdiskArg;        // the virtual disk a snapshot or copy is made of
  char* hostNameArg;           // HOST of ADD LUN
  char* vdiskNameArg;          // VDISK of ADD LUN and of DR-group commands
  char* destinationSystemArg;  // DESTINATION_SYSTEM of ADD DR_GROUP
  char* destinationGroupArg;   // DESTINATION_DISK_GROUP of DR-group commands
  char* deleteDiskArg;         // DELETE= of SET DISK_GROUP
  bool addVdiskRequested;      // SET DR_GROUP ... ADD_VDISK
  StagedOptions staged;
  // The request under construction and the answer to it.
  // Grows on demand up to kRequestCapacity characters.
  char* requestBuffer;
  int32_t requestCapacity;
  int32_t requestLength;
  int32_t contentLengthDigits;   // offset of the Content-Length placeholder
  const char* currentOperation;  // a name that outlives the request
  PendingProperty* pendingProperties;
  char* responseText;
  ResponseNode* responseTree;
  uint32_t duplicateCounters[kObjectKindCount];
};

struct SessionState {
  uint32_t sessionFlags;
  ObjectToken* tokenList;  // cached object names and identifiers
  // For each kind, the block that owns the memory of its tokens.
  void* tokenStores[kObjectKindCount];
  char* managerAddress;
  char* systemName;
  char* systemId;
  char* userName;
  char* password;
  char* tallowFlags;
  WorkArea work;
};

// Process-wide values beside the session.
extern RunMode runMode;
extern SessionOptions sessionOptions;

// The text shown in front of "> ".
const char* promptName(const SessionState& session);

// Release a property list with every string it owns, or a whole answer
// tree (its root anchor and every block the parse gave the root), and empty
// the slot. Releasing a tree costs the same for an answer of any shape.
void releaseProperties(PendingProperty*& list);
void releaseTree(ResponseNode*& root);

}  // namespace session
