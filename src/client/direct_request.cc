#include "client/direct_request.h"

#include <cstdlib>

#include "client/emclient_api.h"
#include "client/error_text.h"
#include "client/protocol_names.h"
#include "client/text_search.h"

namespace emclient {
namespace {

struct VersionText {
  const char* namespaceUri;
  const char* header;
};

constexpr VersionText kVersion3 = {kInterfaceV3Namespace,
                                   "<Header><version>3.00</version>"};
constexpr VersionText kVersion32 = {kInterfaceV32Namespace,
                                    "<Header><version>3.2</version>"};

}  // namespace

bool anyNull(std::initializer_list<const void*> arguments) {
  for (const void* argument : arguments) {
    if (argument == nullptr) return true;
  }
  return false;
}

int invalidParameter() {
  reportError(EMCLIENTAPI_INVALIDPARAMETER_ERROR);
  return EMCLIENTAPI_INVALIDPARAMETER_ERROR;
}

std::string buildDirectRequest(const DirectRequest& request, const char* host,
                               const char* user, const char* password) {
  const VersionText& version =
      request.version == InterfaceVersion::k3 ? kVersion3 : kVersion32;
  std::string text = kXmlInterfaceRequestLine;
  text.append("\n").append(kHostHeader).append(host).append(":");
  text.append(request.port).append("\n");
  text.append(kDirectContentType).append("\n");
  text.append(kContentLengthHeader).append("500\n");
  text.append(kXmlInterfaceActionHeader).append("\"");
  text.append(kXmlInterfaceAction).append("\"\n\n");
  text.append(kInterfaceEnvelopeOpen).append(version.namespaceUri).append("'>");
  text.append(version.header);
  text.append(
      "<application><hostip>123.123.123.123</hostip><hostname>unknown"
      "</hostname><applicationname>EMClientAPITNG</applicationname>"
      "<applicationtype>00</applicationtype></application>");
  text.append(request.traceAlways ? "<tracerequest>always</tracerequest>"
                                  : "<tracerequest>never</tracerequest>");
  text.append("<disablevalidation/></Header><Body><NsaServerOperation>");
  text.append(request.operation).append("</NsaServerOperation>");
  text.append("<username>").append(escapeMarkup(user));
  text.append("</username><userpassword>").append(escapeMarkup(password));
  text.append("</userpassword></Body></Envelope>\n");
  return text;
}

int sendDirect(const std::string& text, std::string& answer) {
  char* response = nullptr;
  int length = 0;
  int result = EMClientAPITNGSendRequest(text.c_str(), &response, &length, 0);
  if (response != nullptr) {
    answer.assign(response, static_cast<std::size_t>(length));
    std::free(response);
  }
  return result;
}

std::string statusMessage(std::string_view answer) {
  constexpr std::string_view kOpen = "<statusdescription>";
  constexpr std::string_view kClose = "</statusdescription>";
  if (contains(answer, "<statuscode>0")) return {};
  std::optional<Span> first = findBetween(answer, kOpen, kClose);
  if (!first) return {};
  std::string message(answer.substr(first->begin, first->end - first->begin));
  message.push_back(' ');
  if (std::optional<Span> next =
          findBetween(answer, kOpen, kClose, first->end + kClose.size())) {
    message.append(answer.substr(next->begin, next->end - next->begin));
  }
  return message;
}

}  // namespace emclient
