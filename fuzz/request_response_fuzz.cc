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
  static session::CommandContext* context = [] {
    session::outputStream = std::fopen("/dev/null", "w");
    auto* created =
        session::trackedNew<session::CommandContext>("quill_main", 0);
    created->session =
        session::trackedNew<session::SessionState>("quill_main", 0);
    return created;
  }();
  if (size == 0) return 0;
  session::sessionOptions.displayWidth = 70 + data[0] % 431;
  std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  session::SessionState& session = *context->session;
  const std::size_t before = session::liveBlockCount();

  session.work = session::WorkArea{};
  session.work.currentLabel = session::copyText("", 0, "quill_main", 0);
  session.work.responseText =
      session::copyText(text.data(), text.size(), "quill_soap", 0);
  request::ParseResponseText(*context);
  const session::ResponseNode* root = session.work.responseTree;
  request::DisplayResponse(*context, root);
  std::string json = request::ResponseJson(root).dump(
      -1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
  request::FindResponseElement(root, "NotSuccessMsg");
  request::FindElementValue(root, "lun", 2);

  session::releaseWorkArea(session);
  session::compact();
  if (session::liveBlockCount() != before) __builtin_trap();
  return 0;
}
