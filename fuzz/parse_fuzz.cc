// Feeds arbitrary bytes to the command-line parser over the real grammar,
// node handlers and help included. Final handlers are not run: they would
// open files and talk to servers. Whatever the handlers keep for the line
// must be released with it. A line in which the parser takes a password is
// one the masking of passwords masks.
#include <cstdint>
#include <cstdio>
#include <string>

#include "language/grammar.h"
#include "language/parser.h"
#include "language/password_mask.h"
#include "session/tracked_memory.h"
#include "session/work_area.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static session::CommandContext* context = [] {
    session::outputStream = std::fopen("/dev/null", "w");
    // A confirmation question reads the end of input and counts as no.
    (void)std::freopen("/dev/null", "r", stdin);
    auto* created =
        session::trackedNew<session::CommandContext>("quill_main", 0);
    created->session =
        session::trackedNew<session::SessionState>("quill_main", 0);
    return created;
  }();
  std::string line(reinterpret_cast<const char*>(data), size);
  session::SessionState& session = *context->session;
  const std::size_t before = session::liveBlockCount();

  session::release(session.password);
  session.password = nullptr;
  session.work = session::WorkArea{};
  context->cursor = line.c_str();
  context->remaining = static_cast<uint32_t>(line.size());
  language::quill_parse(language::rootList(), *context);
  if (context->cursor < line.c_str() ||
      context->cursor > line.c_str() + line.size()) {
    __builtin_trap();
  }
  session::MaskedLine masked =
      language::maskPasswords(language::rootList(), line);
  if (session.password != nullptr && masked.masked.empty()) __builtin_trap();
  std::size_t passed = 0;
  for (const session::MaskedSpan& span : masked.masked) {
    if (span.start < passed || span.start + span.length > line.size()) {
      __builtin_trap();
    }
    passed = span.start + span.length;
  }
  std::string rebuilt = line;
  for (auto span = masked.masked.rbegin(); span != masked.masked.rend();
       ++span) {
    rebuilt.replace(span->start, span->length, session::kPasswordMask);
  }
  if (rebuilt != masked.text) __builtin_trap();
  session::releaseWorkArea(session);
  session::compact();
  // Only the credentials SELECT MANAGER records belong to the session.
  if (session::liveBlockCount() > before + 2) __builtin_trap();
  return 0;
}
