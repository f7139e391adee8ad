// The library's result codes with their names and messages.
#pragma once

namespace emclient {

struct ResultCode {
  int code;
  const char* name;
  const char* message;
};

// The row of `code`, or nullptr for a code the table does not know.
const ResultCode* findResultCode(int code);

}  // namespace emclient
