// Feeds arbitrary bytes to the response parser as a server answer, then
// prints, converts to JSON and searches whatever tree it built, the way
// SHOW, --json and the outcome check would. The first byte picks the
// display width. Everything the parse kept must be released with the line.
#include <cstdint>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "request/display.h"
#include "request/response_json.h"
#include "request/response_parser.h"
#include "request/response_search.h"
#include "session/tracked_memory.h"
#include "session/work_area.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static shell::CommandContext* context = [] {
    shell::outputStream = std::fopen("/dev/null", "w");
    auto* created = shell::trackedNew<shell::CommandContext>("quill_main", 0);
    created->session = shell::trackedNew<shell::SessionState>("quill_main", 0);
    return created;
  }();
  if (size == 0) return 0;
  shell::sessionOptions.displayWidth = 70 + data[0] % 431;
  std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  shell::SessionState& session = *context->session;
  const std::size_t before = shell::liveBlockCount();

  session.work = shell::WorkArea{};
  session.work.currentLabel = shell::copyText("", 0, "quill_main", 0);
  session.work.responseText =
      shell::copyText(text.data(), text.size(), "quill_soap", 0);
  request::ParseResponseText(*context);
  const shell::ResponseNode* root = session.work.responseTree;
  request::DisplayResponse(*context, root);
  std::string json = request::ResponseJson(root).dump(
      -1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
  request::FindResponseElement(root, "NotSuccessMsg");
  request::FindElementValue(root, "lun", 2);

  shell::releaseWorkArea(session);
  shell::compact();
  if (shell::liveBlockCount() != before) __builtin_trap();
  return 0;
}
