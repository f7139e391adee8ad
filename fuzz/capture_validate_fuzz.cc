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
  static shell::CommandContext* context = [] {
    shell::outputStream = std::fopen("/dev/null", "w");
    auto* created = shell::trackedNew<shell::CommandContext>("quill_main", 0);
    created->session = shell::trackedNew<shell::SessionState>("quill_main", 0);
    return created;
  }();
  if (memory < 0 || ftruncate(memory, 0) != 0 ||
      pwrite(memory, data, size, 0) != static_cast<ssize_t>(size)) {
    __builtin_trap();
  }

  std::string line = "CAPTURE VALIDATE " + path;
  shell::SessionState& session = *context->session;
  const std::size_t before = shell::liveBlockCount();
  session.work = shell::WorkArea{};
  context->cursor = line.c_str();
  context->remaining = static_cast<uint32_t>(line.size());
  if (language::quill_parse(language::rootList(), *context) != shell::ParseOk ||
      session.work.finalHandler == nullptr) {
    __builtin_trap();
  }
  int result = session.work.finalHandler(*context);
  if (result != 0 && result != 1) __builtin_trap();
  shell::releaseWorkArea(session);
  shell::compact();
  if (shell::liveBlockCount() != before) __builtin_trap();
  return 0;
}
