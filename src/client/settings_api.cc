// The entry points that read or change the library's settings.
#include <cstdio>

#include "client/connection_pool.h"
#include "client/debug_log.h"
#include "client/emclient_api.h"
#include "client/error_text.h"
#include "client/retry_status.h"
#include "client/settings.h"

using emclient::Layer;
using emclient::settings;

extern "C" int EMClientAPITNGCheckRetryStatus(const char* response) {
  return emclient::retryStatus(response != nullptr ? response : "", true);
}

extern "C" int EMClientAPITNGCloseConnections(void) {
  emclient::connectionPool().closeIdle();
  return EMCLIENTAPI_SUCCESS;
}

extern "C" int EMClientAPITNGSetWaitForever(int waitForever) {
  settings(Layer::kFront).waitForever = waitForever;
  settings(Layer::kElm).waitForever = waitForever;
  return EMCLIENTAPI_SUCCESS;
}

extern "C" int EMClientAPITNGSetRequestTimeout(int milliseconds) {
  int previous = emclient::requestTimeout();
  emclient::requestTimeout() = milliseconds > 0 ? milliseconds : 0;
  return previous;
}

extern "C" int EMClientAPITNGSetTls(int useTls) {
  emclient::Transport& transport = emclient::transport();
  if (transport.tls != (useTls != 0)) emclient::connectionPool().empty();
  transport.tls = useTls != 0;
  return EMCLIENTAPI_SUCCESS;
}

extern "C" int EMClientAPITNGSetTlsFiles(const char* caFile,
                                         const char* certFile,
                                         const char* keyFile,
                                         int verifyServer) {
  platform::TlsSettings& settings = emclient::transport().settings;
  settings.caFile = caFile != nullptr ? caFile : "";
  settings.certFile = certFile != nullptr ? certFile : "";
  settings.keyFile = keyFile != nullptr ? keyFile : "";
  settings.verifyPeer = verifyServer != 0;
  return EMCLIENTAPI_SUCCESS;
}

extern "C" int EMClientAPITNGGetVersion(EMClientAPITNGVersionRecord* record) {
  if (record == nullptr) {
    emclient::reportError(EMCLIENTAPI_INVALIDPARAMETER_ERROR);
    return EMCLIENTAPI_INVALIDPARAMETER_ERROR;
  }
  std::snprintf(record->version, sizeof record->version, "%s",
                "EMClientAPITNG Version 3.2.104");
  std::snprintf(record->buildDate, sizeof record->buildDate, "%s",
                "Jun 22 2004");
  return EMCLIENTAPI_SUCCESS;
}

extern "C" int EMClientAPISetDebugMode(int level, const char* fileName) {
  settings(Layer::kElm).debugLevel = level;
  emclient::setDebugFileName(fileName);
  return EMCLIENTAPI_SUCCESS;
}

extern "C" int EMClientAPITNGSetDebugMode(int level, const char* fileName) {
  settings(Layer::kFront).debugLevel = level;
  return EMClientAPISetDebugMode(level, fileName);
}
