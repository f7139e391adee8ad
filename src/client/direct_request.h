// Requests of the library's own operations, in the XML-interface dialect,
// and what they have in common: sending and the status message.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace emclient {

enum class InterfaceVersion { k3, k32 };

struct DirectRequest {
  InterfaceVersion version;
  bool traceAlways;
  const char* port;       // "2301" or "12301"
  std::string operation;  // the element inside <NsaServerOperation>
};

// The complete HTTP request text. User and password are escaped like every
// value of a request.
std::string buildDirectRequest(const DirectRequest& request, const char* host,
                               const char* user, const char* password);

// Sends through the front layer with its default retries; the answer is
// put into `answer`. The send's result.
int sendDirect(const std::string& text, std::string& answer);

// The server's status message of an answer: the first status description
// and a blank, then the next description when there is one; empty when the
// answer says "<statuscode>0" or has no description.
std::string statusMessage(std::string_view answer);

// True when one of the arguments is null.
bool anyNull(std::initializer_list<const void*> arguments);

// Reports and returns 300.
int invalidParameter();

}  // namespace emclient
