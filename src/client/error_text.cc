#include "client/error_text.h"

#include <cstdio>
#include <cstring>

#include "client/debug_log.h"
#include "client/emclient_api.h"
#include "client/os_error.h"
#include "client/result_codes.h"
#include "client/tls_failure.h"
#include "platform/files.h"

namespace emclient {
namespace {

constexpr std::size_t kSystemTextLimit = 2048;

// Copies `text` with its terminating zero when it fits, else nothing.
int copyToBuffer(const std::string& text, char* buffer, int bufferSize) {
  if (bufferSize <= 0 || text.size() >= static_cast<std::size_t>(bufferSize)) {
    return EMCLIENTAPI_BUFFERTOOSMALL_ERROR;
  }
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return EMCLIENTAPI_SUCCESS;
}

void logLongForm(Layer layer, const char* opening, const std::string& text,
                 const char* closing) {
  if (settings(layer).debugLevel < 2) return;
  trace(layer, 2, opening);
  trace(layer, 2, longErrorText(text));
  trace(layer, 2, closing);
}

}  // namespace

std::string shortErrorText(int code) {
  std::string text = "EMClientAPI error ->\n";
  if (const ResultCode* row = findResultCode(code)) {
    text.append(row->name).append(" : ").append(row->message);
  } else {
    text.append("Unknown EMClientAPIError(").append(std::to_string(code));
    text.append(")");
  }
  return text + "\n";
}

std::string longErrorText(const std::string& text) {
  int error = lastOsError();
  int socketError = socketErrorNumber(error);
  char numbers[96];
  std::snprintf(numbers, sizeof numbers,
                "WSALastErrorCode=%d, Win32LastErrorCode=%d\n", socketError,
                error);
  std::string systemText = platform::errorText(error);
  if (systemText.size() > kSystemTextLimit) systemText.resize(kSystemTextLimit);
  return text + "\n\nWindows specific -> " + numbers +
         "Windows FormatMessage result -> " + "  " + systemText +
         "  Extended description: " + socketErrorName(socketError);
}

void reportError(int code) { EMClientAPITNGGetErrorText(code, nullptr, 0); }

}  // namespace emclient

using emclient::Layer;

extern "C" int EMClientAPIGetErrorText(int code, char* buffer, int bufferSize) {
  std::string text = emclient::shortErrorText(code);
  if (buffer != nullptr &&
      emclient::copyToBuffer(text, buffer, bufferSize) != 0) {
    return EMCLIENTAPI_BUFFERTOOSMALL_ERROR;
  }
  emclient::logLongForm(Layer::kElm, "** ERROR ->", text, "<- ERROR **");
  return EMCLIENTAPI_SUCCESS;
}

extern "C" int EMClientAPITNGGetErrorText(int code, char* buffer,
                                          int bufferSize) {
  if (buffer != nullptr && bufferSize > 0) std::memset(buffer, 0, bufferSize);
  if (EMClientAPIGetErrorText(code, buffer, bufferSize) != 0) {
    return EMCLIENTAPI_BUFFERTOOSMALL_ERROR;
  }
  const emclient::ResultCode* row = emclient::findResultCode(code);
  std::string text = "EMClientAPITNG error ->\n";
  if (row != nullptr) {
    std::string shortText = emclient::shortErrorText(code);
    text += shortText.substr(shortText.find('\n') + 1);
    if (emclient::isTlsCode(code)) text += emclient::tlsFailureLine();
  } else {
    text += "Unknown EMCLIENTAPITNGError(" + std::to_string(code) + ")\n";
  }
  if (buffer != nullptr &&
      emclient::copyToBuffer(text, buffer, bufferSize) != 0) {
    return EMCLIENTAPI_BUFFERTOOSMALL_ERROR;
  }
  if (row == nullptr) {
    emclient::logLongForm(Layer::kFront, "** ERROR tng ->", text,
                          "<- ERROR tng **");
  }
  return EMCLIENTAPI_SUCCESS;
}
