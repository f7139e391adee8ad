// Faults injected on purpose, so clients can be tested against a manager
// that is busy, down, rude or slow. Each fault applies to the next N
// operation requests (or to every one until cleared).
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

enum class FaultKind {
  kBusy,          // a retry-worthy status instead of the answer
  kHtml,          // an HTML error page (starting "<!DOCTYPE") instead
  kUnauthorized,  // 401 "Unauthorized" (on the login port: the login fails)
  kClose,         // the connection is closed without an answer
  kEmpty,         // an empty payload
  kSplit,         // the answer is written in pieces of N bytes
  kDelay,         // the answer is held back N milliseconds
  kNoSessionKey,  // the login page carries no session key
  kGarbage,       // bytes that are not HTTP instead of the answer
  kCut,           // only the first N bytes of the answer, then a close
  kShort,         // the answer without its last N bytes, then a close
  kHuge,          // the answer padded with N megabytes of blanks
  kDeep,          // an answer of objects nested N levels deep
  kStall,         // the header lines, then nothing while the connection stays
  kTrickle,       // the answer one byte at a time, N milliseconds apart
  kUnframed,      // the answer without Content-Length, then a close
  kOddNames,      // every Name of the answer ends in hostile bytes
};

struct FaultSpec {
  FaultKind kind = FaultKind::kBusy;
  int count = 1;  // requests it applies to; -1 until cleared
  int value = 0;  // status, piece size or delay, by kind
};

// Reads "KIND[:COUNT[:VALUE]]", COUNT being a number or "*".
bool ParseFault(std::string_view text, FaultSpec& spec, std::string& error);
// The one-line description of every kind, for the help text.
std::string FaultHelp();

// What the faults do to one request.
struct FaultEffect {
  std::optional<int> busyStatus;
  bool html = false;
  bool unauthorized = false;
  bool close = false;
  bool empty = false;
  bool noSessionKey = false;
  size_t splitBytes = 0;
  int delayMs = 0;
  bool garbage = false;
  size_t cutBytes = 0;    // keep only this many bytes (0: all)
  size_t shortBytes = 0;  // leave this many bytes off the end
  int hugeMegabytes = 0;
  int deepLevels = 0;
  bool stall = false;
  int trickleMs = 0;  // between the bytes of the answer (0: not trickled)
  bool unframed = false;
  bool oddNames = false;
};

// What odd-names adds to every Name: a quote, a backslash, control
// characters, a valid two-byte UTF-8 character, and bytes that are not
// UTF-8 (a broken sequence and a lone 0xFF).
inline constexpr char kOddNameSuffix[] =
    " \"q\" \\ \x01\x1f\x7f \xc3\xa9 \xc3\x28 \xff";

enum class RequestClass { kOperation, kSessionKey, kLogin };

class Faults {
 public:
  void Add(const FaultSpec& spec);
  void Clear();
  // Applies, and uses up, the faults that concern a request of `kind`.
  FaultEffect Take(RequestClass kind);
  std::string Describe();

 private:
  std::mutex mutex_;
  std::vector<FaultSpec> active_;
};

}  // namespace sim
