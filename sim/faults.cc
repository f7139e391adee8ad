#include "sim/faults.h"

#include <charconv>
#include <climits>

namespace sim {
namespace {

// Sizes past these would cost the simulator more memory than any test
// needs: twice what the client accepts in one answer, and far deeper than
// it nests.
constexpr int kMostHugeMegabytes = 128;
constexpr int kMostDeepLevels = 1000000;

struct FaultName {
  FaultKind kind;
  const char* name;
  int defaultValue;
  const char* help;
  int mostValue = INT_MAX;
};

constexpr FaultName kFaultNames[] = {
    {FaultKind::kBusy, "busy", 18034,
     "busy[:N[:STATUS]]     answer STATUS (default 18034) instead"},
    {FaultKind::kHtml, "html", 0,
     "html[:N]              answer an HTML error page (<!DOCTYPE ...)"},
    {FaultKind::kUnauthorized, "unauthorized", 0,
     "unauthorized[:N]      answer 401 Unauthorized (port 2301: fail logins)"},
    {FaultKind::kClose, "close", 0,
     "close[:N]             close the connection without answering"},
    {FaultKind::kEmpty, "empty", 0,
     "empty[:N]             answer an empty payload"},
    {FaultKind::kSplit, "split", 16,
     "split[:N[:BYTES]]     write answers in pieces of BYTES (default 16)"},
    {FaultKind::kDelay, "delay", 200,
     "delay[:N[:MS]]        hold answers back MS milliseconds (default 200)"},
    {FaultKind::kNoSessionKey, "no-session-key", 0,
     "no-session-key[:N]    serve login pages without a session key"},
    {FaultKind::kGarbage, "garbage", 0,
     "garbage[:N]           answer bytes that are not HTTP"},
    {FaultKind::kCut, "cut", 20,
     "cut[:N[:BYTES]]       send the first BYTES (default 20), then close"},
    {FaultKind::kShort, "short", 10,
     "short[:N[:BYTES]]     send all but the last BYTES (default 10), then "
     "close"},
    {FaultKind::kHuge, "huge", 64,
     "huge[:N[:MB]]         pad the answer with MB megabytes of blanks (64,\n"
     "                        at most 128)",
     kMostHugeMegabytes},
    {FaultKind::kDeep, "deep", 10000,
     "deep[:N[:LEVELS]]     answer objects nested LEVELS deep (10000, at "
     "most\n"
     "                        1000000)",
     kMostDeepLevels},
    {FaultKind::kStall, "stall", 0,
     "stall[:N]             send the header lines, then nothing, keeping the "
     "connection"},
    {FaultKind::kTrickle, "trickle", 1000,
     "trickle[:N[:MS]]      send the answer a byte at a time, MS apart "
     "(1000)"},
    {FaultKind::kUnframed, "unframed", 0,
     "unframed[:N]          answer without Content-Length, then close"},
    {FaultKind::kOddNames, "odd-names", 0,
     "odd-names[:N]         end every Name with quotes, a backslash, control\n"
     "                        characters and bytes that are not UTF-8"},
};

bool ParseInt(std::string_view text, int& value) {
  auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && value >= 0;
}

}  // namespace

bool ParseFault(std::string_view text, FaultSpec& spec, std::string& error) {
  std::vector<std::string_view> parts;
  while (true) {
    size_t colon = text.find(':');
    parts.push_back(text.substr(0, colon));
    if (colon == std::string_view::npos) break;
    text.remove_prefix(colon + 1);
  }
  const FaultName* name = nullptr;
  for (const FaultName& candidate : kFaultNames) {
    if (parts[0] == candidate.name) name = &candidate;
  }
  if (name == nullptr || parts.size() > 3) {
    error = "unknown fault \"" + std::string(parts[0]) + "\"";
    return false;
  }
  spec = FaultSpec{name->kind, 1, name->defaultValue};
  if (parts.size() > 1) {
    if (parts[1] == "*") {
      spec.count = -1;
    } else if (!ParseInt(parts[1], spec.count) || spec.count == 0) {
      error = "fault count must be a positive number or *";
      return false;
    }
  }
  if (parts.size() > 2 &&
      (!ParseInt(parts[2], spec.value) ||
       (spec.value == 0 &&
        (spec.kind == FaultKind::kSplit || spec.kind == FaultKind::kCut ||
         spec.kind == FaultKind::kShort || spec.kind == FaultKind::kHuge ||
         spec.kind == FaultKind::kDeep || spec.kind == FaultKind::kTrickle)))) {
    error = "fault value must be a number";
    return false;
  }
  if (spec.value > name->mostValue) {
    error = std::string(name->name) + " allows a value of at most " +
            std::to_string(name->mostValue);
    return false;
  }
  return true;
}

std::string FaultHelp() {
  std::string text;
  for (const FaultName& name : kFaultNames)
    text += std::string("  ") + name.help + "\n";
  return text;
}

void Faults::Add(const FaultSpec& spec) {
  std::lock_guard lock(mutex_);
  active_.push_back(spec);
}

void Faults::Clear() {
  std::lock_guard lock(mutex_);
  active_.clear();
}

FaultEffect Faults::Take(RequestClass kind) {
  std::lock_guard lock(mutex_);
  FaultEffect effect;
  for (FaultSpec& spec : active_) {
    bool applies = spec.kind == FaultKind::kNoSessionKey
                       ? kind == RequestClass::kSessionKey
                   : spec.kind == FaultKind::kUnauthorized
                       ? kind != RequestClass::kSessionKey
                       : kind == RequestClass::kOperation;
    if (!applies) continue;
    switch (spec.kind) {
      case FaultKind::kBusy:
        effect.busyStatus = spec.value;
        break;
      case FaultKind::kHtml:
        effect.html = true;
        break;
      case FaultKind::kUnauthorized:
        effect.unauthorized = true;
        break;
      case FaultKind::kClose:
        effect.close = true;
        break;
      case FaultKind::kEmpty:
        effect.empty = true;
        break;
      case FaultKind::kSplit:
        effect.splitBytes = static_cast<size_t>(spec.value);
        break;
      case FaultKind::kDelay:
        effect.delayMs = spec.value;
        break;
      case FaultKind::kNoSessionKey:
        effect.noSessionKey = true;
        break;
      case FaultKind::kGarbage:
        effect.garbage = true;
        break;
      case FaultKind::kCut:
        effect.cutBytes = static_cast<size_t>(spec.value);
        break;
      case FaultKind::kShort:
        effect.shortBytes = static_cast<size_t>(spec.value);
        break;
      case FaultKind::kHuge:
        effect.hugeMegabytes = spec.value;
        break;
      case FaultKind::kDeep:
        effect.deepLevels = spec.value;
        break;
      case FaultKind::kStall:
        effect.stall = true;
        break;
      case FaultKind::kTrickle:
        effect.trickleMs = spec.value;
        break;
      case FaultKind::kUnframed:
        effect.unframed = true;
        break;
      case FaultKind::kOddNames:
        effect.oddNames = true;
        break;
    }
    if (spec.count > 0) --spec.count;
  }
  std::erase_if(active_, [](const FaultSpec& spec) { return spec.count == 0; });
  return effect;
}

std::string Faults::Describe() {
  std::lock_guard lock(mutex_);
  std::string text;
  for (const FaultSpec& spec : active_) {
    for (const FaultName& name : kFaultNames) {
      if (name.kind != spec.kind) continue;
      text += std::string(name.name) + ":" +
              (spec.count < 0 ? "*" : std::to_string(spec.count)) + ":" +
              std::to_string(spec.value) + "\n";
    }
  }
  return text;
}

}  // namespace sim
