#include "client/debug_log.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "client/emclient_api.h"
#include "client/log_mask.h"
#include "client/os_error.h"
#include "client/text_search.h"
#include "platform/clock.h"
#include "platform/written_files.h"

namespace emclient {
namespace {

constexpr const char* kDefaultFileName = "EMClientAPIDebug.txt";
constexpr long long kDefaultSizeLimit = 5000000;
constexpr long long kSmallestSizeLimit = 500;

std::string fileName;
long long sizeLimit = 0;

void applyEnvironment() {
  if (const char* name = std::getenv("FILE_NAME")) fileName = name;
  if (const char* size = std::getenv("FILE_SIZE")) {
    sizeLimit = leadingNumber(size);
  }
  if (const char* level = std::getenv("LOG_LEVEL")) {
    settings(Layer::kElm).debugLevel = static_cast<int>(leadingNumber(level));
  }
}

// The log holds requests and answers: it is its owner's only, and never
// written through a link or into a file of someone else.
std::FILE* openLog(const std::string& name) {
  std::FILE* stream = platform::openPrivateForAppending(name.c_str());
  if (stream == nullptr) rememberOsError(errno);
  return stream;
}

}  // namespace

int writeEntry(const char* message) {
  applyEnvironment();
  int level = settings(Layer::kElm).debugLevel;
  if (level == 0) return EMCLIENTAPI_SUCCESS;
  if ((level != 1 && level != 2) || message == nullptr) {
    return EMCLIENTAPI_INVALIDPARAMETER_ERROR;
  }
  std::string name = fileName.empty() ? kDefaultFileName : fileName;
  std::FILE* log = openLog(name);
  if (log == nullptr) return EMCLIENTAPI_OPENDEBUGFILE_ERROR;
  long long limit = sizeLimit == 0 ? kDefaultSizeLimit : sizeLimit;
  if (limit < kSmallestSizeLimit) {
    std::fclose(log);
    return EMCLIENTAPI_INVALIDPARAMETER_ERROR;
  }
  std::fseek(log, 0, SEEK_END);
  if (std::ftell(log) > limit) {
    std::fclose(log);
    std::string rotated = name + ".old";
    if (!platform::rotateFile(name.c_str(), rotated.c_str()) &&
        platform::isRefusal(errno)) {
      rememberOsError(errno);
      return EMCLIENTAPI_OPENDEBUGFILE_ERROR;
    }
    log = openLog(name);
    if (log == nullptr) return EMCLIENTAPI_OPENDEBUGFILE_ERROR;
  }
  std::string masked = maskedForLog(message);
  std::time_t now = platform::clock().wallTime();
  if (now == static_cast<std::time_t>(-1)) {
    std::fprintf(log, "Time Null\n%s\n", masked.c_str());
  } else {
    std::fprintf(log, "%s\n\n%s\n", platform::localTimeText(now).c_str(),
                 masked.c_str());
  }
  std::fclose(log);
  return EMCLIENTAPI_SUCCESS;
}

void trace(Layer layer, int level, std::string_view message) {
  if (settings(layer).debugLevel < level) return;
  writeEntry(std::string(message).c_str());
}

void trace(Layer layer, int level, std::string_view line,
           std::string_view text) {
  trace(layer, level, line);
  trace(layer, level, text);
}

void performanceMark(Layer layer, const char* label) {
  LayerSettings& layerSettings = settings(layer);
  if (layerSettings.debugLevel < 2) return;
  uint32_t current = platform::clock().tickCount();
  if (layerSettings.previousTick == 0) layerSettings.previousTick = current;
  char entry[160];
  std::snprintf(entry, sizeof entry,
                "(%20s) -- Previous = %d, Current = %d, Difference = %d",
                label != nullptr ? label : "Performance check",
                static_cast<int>(layerSettings.previousTick),
                static_cast<int>(current),
                static_cast<int>(current - layerSettings.previousTick));
  writeEntry(entry);
  layerSettings.previousTick = current;
}

void setDebugFileName(const char* name) {
  if (name != nullptr) fileName = name;
}

void resetDebugLog() {
  fileName.clear();
  sizeLimit = 0;
}

}  // namespace emclient
