#include "client/text_transport.h"

#include "client/admin_credentials.h"
#include "client/debug_log.h"
#include "client/digest.h"
#include "client/emclient_api.h"
#include "client/local_host.h"
#include "client/protocol_names.h"
#include "client/request_rewrite.h"
#include "client/text_search.h"

namespace emclient {
namespace {

constexpr std::string_view kEnvelopeHead =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"\n"
    "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\"\n"
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n"
    "<soap:Body>\n"
    "<m:executeTextTransport xmlns:m=\"";
// After the interface's name, which completes the head.
constexpr std::string_view kPayloadOpen = "\">\n<xmlPayload>";
constexpr std::string_view kEnvelopeTail =
    "</xmlPayload>\n</m:executeTextTransport>\n</soap:Body>\n</soap:Envelope>";

std::string credentialString(ClientRequest& request) {
  std::string password = credentialValue(request.text(), Credential::kPassword);
  if (!password.empty()) {
    std::string user = credentialValue(request.text(), Credential::kUserName);
    return user + ":" + md5UpperHex(user + ":" + password);
  }
  if (!isLocalHost(request.host())) return {};
  addAdministratorCredentials(request);
  return credentialValue(request.text(), Credential::kUserName) + ":" +
         credentialValue(request.text(), Credential::kPassword);
}

// Takes both credential elements out of the payload. An element whose close
// tag is missing would leave its value on the wire: such a request is
// refused.
int cutCredentials(std::string& payload) {
  std::optional<FoundElement> user =
      findCredential(payload, Credential::kUserName);
  std::optional<FoundElement> password =
      findCredential(payload, Credential::kPassword);
  if ((user && !user->closed) || (password && !password->closed)) {
    trace(Layer::kFront, 1, "Username and password invalid order.");
    return EMCLIENTAPI_RESQUESTINVALID_ERROR;
  }
  if (user && password) {
    const CredentialElement& u = user->element;
    const CredentialElement& p = password->element;
    std::size_t from = u.start < p.end ? u.start : p.start;
    std::size_t to = u.start < p.end ? p.end : u.end;
    if (to > from) payload.erase(from, to - from);
    return EMCLIENTAPI_SUCCESS;
  }
  stripCredentials(payload);
  return EMCLIENTAPI_SUCCESS;
}


}  // namespace

int buildTextTransport(ClientRequest& request, std::string& http) {
  std::string authorization = base64Lines(credentialString(request));
  std::size_t start = envelopeStart(request.text());
  if (start == kNotFound) return EMCLIENTAPI_RESQUESTINVALID_ERROR;
  std::string payload = request.text().substr(start);
  if (int result = cutCredentials(payload); result != 0) return result;
  if (int result = setClientAddress(payload); result != 0) return result;

  std::string envelope;
  std::string escaped = escapeMarkup(payload);
  std::string_view action = kXmlInterfaceAction;
  envelope.reserve(kEnvelopeHead.size() + action.size() + kPayloadOpen.size() +
                   escaped.size() + kEnvelopeTail.size());
  envelope.append(kEnvelopeHead).append(action).append(kPayloadOpen);
  envelope.append(escaped).append(kEnvelopeTail);

  http = "POST /zorbridge HTTP/1.1\n";
  http.append(kHostHeader);
  http.append(request.host()).append(":").append(request.port()).append("\n");
  http.append("User-Agent: SoapClient 1.0\nAuthorization: Basic ");
  http.append(authorization);
  http.append("\nContent-Type:text/xml; charset=utf-8\n");
  http.append(kContentLengthHeader);
  http.append(std::to_string(envelope.size())).append("\n");
  http.append(kXmlInterfaceActionHeader).append("\"");
  http.append(kXmlInterfaceAction);
  http.append("/executeTextTransport\"\n\n");
  http.append(envelope);
  return EMCLIENTAPI_SUCCESS;
}

bool extractPayload(std::string_view answer, std::string& payload) {
  std::optional<std::string_view> found =
      textBetween(answer, "<xmlPayload>", "</xmlPayload>");
  if (!found) return false;
  if (!contains(*found, "&lt;")) {
    payload.assign(*found);
    return true;
  }
  payload = replaceAll(replaceAll(*found, "&lt;", "<"), "&gt;", ">");
  return true;
}

}  // namespace emclient
