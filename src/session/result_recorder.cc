#include "session/result_recorder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/copying_stream.h"
#include "platform/files.h"

namespace session {

AutomationMode automation;

namespace {

using nlohmann::ordered_json;

struct ResultKey {
  ResultKind kind;
  const char* key;
};

constexpr ResultKey kResultKeys[] = {
    {ResultKind::kKind, "kind"},
    {ResultKind::kName, "name"},
    {ResultKind::kObject, "object"},
    {ResultKind::kObjects, "objects"},
    {ResultKind::kOptions, "options"},
    {ResultKind::kManager, "manager"},
    {ResultKind::kTime, "time"},
    {ResultKind::kModified, "modified"},
    {ResultKind::kFiles, "files"},
    {ResultKind::kSteps, "steps"},
    {ResultKind::kElementManager, "element_manager"},
    {ResultKind::kSummary, "summary"},
    {ResultKind::kDifferences, "differences"},
    {ResultKind::kRemoved, "removed"},
};

const char* keyOf(ResultKind kind) {
  for (const ResultKey& row : kResultKeys) {
    if (row.kind == kind) return row.key;
  }
  return "result";
}

// One command line being executed, or the run itself for what happens
// outside any line. The memory stream writes through the addresses of
// `errorText` and `errorLength`, so a record never moves.
struct LineRecord {
  std::string command;
  std::vector<MaskedSpan> masked;  // of the command as given
  ordered_json results = ordered_json::object();
  bool failed = false;
  std::optional<std::size_t> column;  // from 1, of the caret
  std::FILE* errors = nullptr;
  char* errorText = nullptr;
  std::size_t errorLength = 0;
  // Error messages bound for a regression file go there and to `errors`.
  std::FILE* copying = nullptr;
  std::FILE* copyingTo = nullptr;
  std::string reason;  // for a failure that printed no message of its own
};

// Said of a failed line that printed no message and was given no reason.
constexpr char kNoReason[] = "Error: Command failed";

std::deque<LineRecord> lines;  // innermost last
LineRecord runRecord;
bool anyFailed = false;
std::FILE* jsonOutput = nullptr;

LineRecord& innermost() { return lines.empty() ? runRecord : lines.back(); }

// Closes the record's error stream; what was written there, without the
// line feed every message starts with.
std::string takeErrors(LineRecord& record) {
  if (record.copying != nullptr) std::fclose(record.copying);
  record.copying = nullptr;
  record.copyingTo = nullptr;
  if (record.errors == nullptr) return {};
  std::fclose(record.errors);
  std::string text(record.errorText, record.errorLength);
  std::free(record.errorText);
  record.errors = nullptr;
  record.errorText = nullptr;
  record.errorLength = 0;
  if (!text.empty() && text.front() == '\n') text.erase(0, 1);
  return text;
}

// The failing line, the caret under it when a position is known, then the
// message, each ending with a line feed.
void writeErrorBlock(const LineRecord& record, const std::string& errors) {
  std::fwrite(record.command.data(), 1, record.command.size(), stderr);
  std::fputc('\n', stderr);
  if (record.column) {
    std::fprintf(stderr, "%*s^\n", static_cast<int>(*record.column - 1), "");
  }
  std::fwrite(errors.data(), 1, errors.size(), stderr);
  std::fputc('\n', stderr);
}

// Bytes that are not UTF-8 become U+FFFD, so every line is valid JSON.
void emitLine(const LineRecord& record, bool failed,
              const std::string& errors) {
  ordered_json line = ordered_json::object();
  line["command"] = record.command;
  line["ok"] = !failed;
  if (failed) line["error"] = errors;
  if (failed && record.column) line["column"] = *record.column;
  for (const auto& item : record.results.items())
    line[item.key()] = item.value();
  std::string text =
      line.dump(-1, ' ', false, ordered_json::error_handler_t::replace);
  text += '\n';
  std::fwrite(text.data(), 1, text.size(), jsonOutput);
  std::fflush(jsonOutput);
}

}  // namespace

bool recordingResults() { return automation.json && !lines.empty(); }

void setResult(ResultKind kind, ordered_json value) {
  if (!recordingResults()) return;
  lines.back().results[keyOf(kind)] = std::move(value);
}

void appendResult(ResultKind kind, ordered_json value) {
  if (!recordingResults()) return;
  ordered_json& slot = lines.back().results[keyOf(kind)];
  if (!slot.is_array()) slot = ordered_json::array();
  slot.push_back(std::move(value));
}

void setResult(ResultKind kind, const char* text) {
  if (recordingResults()) setResult(kind, ordered_json(text));
}

void appendResult(ResultKind kind, const char* text) {
  if (recordingResults()) appendResult(kind, ordered_json(text));
}

// The stream that keeps the error messages of the innermost line.
std::FILE* lineErrors() {
  LineRecord& record = innermost();
  if (record.errors == nullptr) {
    record.errors =
        platform::openMemoryStream(&record.errorText, &record.errorLength);
    if (record.errors == nullptr) return stderr;
  }
  return record.errors;
}

std::FILE* errorStream() {
  if (!automation.quiet) return outputStream;
  std::FILE* errors = lineErrors();
  if (outputStream == stdout || errors == stderr) return errors;
  // A regression capture or test keeps errors in its file, as on screen,
  // and the line keeps them as well.
  LineRecord& record = innermost();
  if (record.copyingTo != outputStream) {
    if (record.copying != nullptr) std::fclose(record.copying);
    record.copying = platform::openCopyingStream(outputStream, errors);
    record.copyingTo = record.copying != nullptr ? outputStream : nullptr;
  }
  return record.copying != nullptr ? record.copying : outputStream;
}

std::FILE* screenErrorStream() {
  return automation.quiet ? lineErrors() : stdout;
}

void printCaret(const CommandContext& context, std::size_t offset) {
  if (automation.quiet && !lines.empty()) {
    lines.back().column = shownOffset(lines.back().masked, offset) + 1;
    // A regression file holds the caret as the screen would.
    if (outputStream == stdout) return;
  }
  int width = static_cast<int>(std::strlen(promptName(*context.session))) + 2;
  // A tab of the line is repeated under it, so the caret stands under its
  // character at whatever column the terminal showed the tab reaching.
  const char* line = context.lineStart;
  std::size_t length =
      line == nullptr || context.cursor < line
          ? 0
          : static_cast<std::size_t>(context.cursor + context.remaining - line);
  std::size_t tabsUpTo = std::min(offset, length);
  if (line == nullptr || std::memchr(line, '\t', tabsUpTo) == nullptr) {
    std::fprintf(outputStream, "%*s^", width + static_cast<int>(offset), "");
    return;
  }
  std::fprintf(outputStream, "%*s", width, "");
  for (std::size_t i = 0; i < offset; ++i) {
    std::fputc(i < length && line[i] == '\t' ? '\t' : ' ', outputStream);
  }
  std::fputc('^', outputStream);
}

bool startJsonOutput() {
  jsonOutput = platform::takeOverStandardOutput();
  return jsonOutput != nullptr;
}

void beginLineResult(MaskedLine line) {
  if (!automation.quiet) return;
  LineRecord& record = lines.emplace_back();
  record.command = std::move(line.text);
  record.masked = std::move(line.masked);
}

void endLineResult(bool failed) {
  if (!automation.quiet || lines.empty()) return;
  LineRecord& record = lines.back();
  std::string errors = takeErrors(record);
  failed = failed || record.failed || !errors.empty();
  if (failed && errors.empty()) {
    errors = record.reason.empty() ? kNoReason : record.reason;
  }
  if (failed) anyFailed = true;
  if (automation.json) emitLine(record, failed, errors);
  if (!errors.empty()) writeErrorBlock(record, errors);
  lines.pop_back();
}

void explainFailure(const char* reason) {
  if (!automation.quiet || lines.empty()) return;
  std::string& kept = lines.back().reason;
  if (kept.empty()) kept = reason;
}

void noteFailure() {
  if (!automation.quiet) return;
  innermost().failed = true;
  anyFailed = true;
}

void markCommandFailed(SessionState& session) {
  noteFailure();
  if (session.sessionFlags & kStopOnError) {
    session.sessionFlags |= kStoppedOnError;
  } else {
    session.sessionFlags &= ~kStoppedOnError;
  }
}

void abandonLineResults() {
  while (!lines.empty()) endLineResult(true);
}

bool anyLineFailed() { return anyFailed; }

void setAnyLineFailed(bool failed) { anyFailed = failed; }

int finishResults() {
  std::string errors = takeErrors(runRecord);
  if (!errors.empty()) {
    anyFailed = true;
    std::fwrite(errors.data(), 1, errors.size(), stderr);
    std::fputc('\n', stderr);
  }
  return anyFailed ? 1 : 0;
}

}  // namespace session
