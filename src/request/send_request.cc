#include "request/send_request.h"

#include <cstdio>
#include <cstring>

#include "client/emclient_api.h"
#include "platform/clock.h"
#include "platform/interruption.h"
#include "session/shown_text.h"
#include "session/tracked_memory.h"

namespace request {
namespace {

using session::outputStream;

constexpr int kErrorTextSize = 2048;
constexpr unsigned kAttemptsPerRetryMinute = 6;

void passDebugFlags(const session::SessionState& session) {
  const char* flags = session.tallowFlags;
  if (flags == nullptr || flags[0] == '\0') return;
  EMClientAPITNGSetDebugMode(std::strcmp(flags, "111") == 0 ? 2 : 1, nullptr);
}

// One attempt: the answer replaces responseText whatever the result.
int sendOnce(session::WorkArea& work) {
  session::release(work.responseText);
  char* response = nullptr;
  int length = 0;
  int code =
      EMClientAPITNGSendRequest(work.requestBuffer, &response, &length, 0);
  // The library's text is malloc'ed for the caller to free: it is kept as
  // it is.
  work.responseText = response != nullptr
                          ? static_cast<char*>(session::adopt(
                                response, static_cast<std::size_t>(length) + 1))
                          : session::copyText("", 0, "quill_soap", __LINE__);
  return code;
}

int sendWithRetries(session::CommandContext& context) {
  session::WorkArea& work = context.session->work;
  unsigned attemptsLeft =
      session::sessionOptions.retries * kAttemptsPerRetryMinute;
  passDebugFlags(*context.session);
  for (unsigned attempt = 0;; ++attempt) {
    if (attempt > 0) {
      // Progress is for whoever watches, like a prompt: it goes to the
      // standard output, not outputStream, so a regression capture records
      // what a command printed and not how busy the server was.
      std::fputs(attempt == 1 ? "\nRetrying command" : ".", stdout);
      platform::pause(kRetryPauseSeconds * 1000u);
    }
    // Once interrupted nothing more is sent, and the shell reports the
    // interruption itself, once.
    if (platform::interrupted()) return 1;
    int code = sendOnce(work);
    if (code != 0) {
      if (platform::interrupted()) return 1;
      char text[kErrorTextSize] = {};
      EMClientAPITNGGetErrorText(code, text, kErrorTextSize);
      std::fprintf(session::errorStream(), "\nError: %s", text);
      return 1;
    }
    int status = EMClientAPITNGCheckRetryStatus(work.responseText);
    if (status != 0 && attemptsLeft > 0) {
      --attemptsLeft;
      continue;
    }
    // The check gives a status for every page with a document type, so an
    // answer it passes has none.
    if (status != 0 && std::strstr(work.responseText, "<!DOCTYPE") != nullptr) {
      std::fputs("\nError: Server currently down, stopped or restarting",
                 session::errorStream());
      return 1;
    }
    return 0;
  }
}

}  // namespace

int SendRequest(session::CommandContext& context) {
  const session::WorkArea& work = context.session->work;
  bool dump = (context.session->sessionFlags & session::kDump) != 0;
  if (dump) {
    std::fputs("\nSend SOAP command:++++++++++++++++++++", outputStream);
    std::fprintf(outputStream, "\n\n*****%s*****\n\n", work.requestBuffer);
  }
  if (sendWithRetries(context) != 0) return 1;
  if (dump) {
    std::fputs("\nSOAP response:--------------------", outputStream);
    std::fprintf(outputStream, "\nLength of buffer = %d",
                 static_cast<int>(std::strlen(work.responseText)));
    std::fprintf(outputStream, "\n\n*****%s*****\n\n",
                 session::shownText(work.responseText).c_str());
  }
  return 0;
}

}  // namespace request
