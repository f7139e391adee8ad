#include "client/response_buffer.h"

#include <cstdlib>
#include <cstring>

#include "client/emclient_api.h"
#include "client/error_text.h"

namespace emclient {

char* copyForCaller(std::string_view text) {
  char* copy = static_cast<char*>(std::malloc(text.size() + 1));
  if (copy == nullptr) return nullptr;
  std::memcpy(copy, text.data(), text.size());
  copy[text.size()] = '\0';
  return copy;
}

int handOut(std::string_view text, char** response, int* length) {
  char* copy = copyForCaller(text);
  if (copy == nullptr) {
    reportError(EMCLIENTAPI_ALLOCATION_ERROR);
    return EMCLIENTAPI_ALLOCATION_ERROR;
  }
  *response = copy;
  *length = static_cast<int>(text.size());
  return EMCLIENTAPI_SUCCESS;
}

}  // namespace emclient
