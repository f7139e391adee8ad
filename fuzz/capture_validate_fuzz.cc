// Writes arbitrary bytes to a file and runs CAPTURE VALIDATE on it, through
// the parser and the command's final handler as the shell does. The answer
// must be one of the command's own: unmodified (0) or an error (1), and
// nothing the command keeps may outlive the line.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "language/grammar.h"
#include "language/parser.h"
#include "session/tracked_memory.h"
#include "session/work_area.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A memory file keeps the disk out of every execution; the command opens
  // it again by its /proc name, as it would any file.
  static const int memory = memfd_create("capture_validate_fuzz", MFD_CLOEXEC);
  static const std::string path = "/proc/self/fd/" + std::to_string(memory);
  static session::CommandContext* context = [] {
    session::outputStream = std::fopen("/dev/null", "w");
    auto* created =
        session::trackedNew<session::CommandContext>("quill_main", 0);
    created->session =
        session::trackedNew<session::SessionState>("quill_main", 0);
    return created;
  }();
  if (memory < 0 || ftruncate(memory, 0) != 0 ||
      pwrite(memory, data, size, 0) != static_cast<ssize_t>(size)) {
    __builtin_trap();
  }

  std::string line = "CAPTURE VALIDATE " + path;
  session::SessionState& session = *context->session;
  const std::size_t before = session::liveBlockCount();
  session.work = session::WorkArea{};
  context->cursor = line.c_str();
  context->remaining = static_cast<uint32_t>(line.size());
  if (language::quill_parse(language::rootList(), *context) !=
          session::ParseOk ||
      session.work.finalHandler == nullptr) {
    __builtin_trap();
  }
  int result = session.work.finalHandler(*context);
  if (result != 0 && result != 1) __builtin_trap();
  session::releaseWorkArea(session);
  session::compact();
  if (session::liveBlockCount() != before) __builtin_trap();
  return 0;
}
