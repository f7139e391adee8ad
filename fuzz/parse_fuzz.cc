// Feeds arbitrary bytes to the command-line parser over the real grammar,
// node handlers and help included. Final handlers are not run: they would
// open files and talk to servers. Whatever the handlers keep for the line
// must be released with it.
#include <cstdint>
#include <cstdio>
#include <string>

#include "language/grammar.h"
#include "language/parser.h"
#include "session/tracked_memory.h"
#include "session/work_area.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static shell::CommandContext* context = [] {
    shell::outputStream = std::fopen("/dev/null", "w");
    // A confirmation question reads the end of input and counts as no.
    (void)std::freopen("/dev/null", "r", stdin);
    auto* created = shell::trackedNew<shell::CommandContext>("quill_main", 0);
    created->session = shell::trackedNew<shell::SessionState>("quill_main", 0);
    return created;
  }();
  std::string line(reinterpret_cast<const char*>(data), size);
  shell::SessionState& session = *context->session;
  const std::size_t before = shell::liveBlockCount();

  session.work = shell::WorkArea{};
  context->cursor = line.c_str();
  context->remaining = static_cast<uint32_t>(line.size());
  language::quill_parse(language::rootList(), *context);
  if (context->cursor < line.c_str() ||
      context->cursor > line.c_str() + line.size()) {
    __builtin_trap();
  }
  shell::releaseWorkArea(session);
  shell::compact();
  // Only the credentials SELECT MANAGER records belong to the session.
  if (shell::liveBlockCount() > before + 2) __builtin_trap();
  return 0;
}
