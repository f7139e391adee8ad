#include "client/text_transport.h"

#include <cstring>

#include "client/admin_credentials.h"
#include "client/debug_log.h"
#include "client/digest.h"
#include "client/emclient_api.h"
#include "client/local_host.h"
#include "client/protocol_names.h"
#include "client/request_rewrite.h"
#include "client/text_search.h"
#include "platform/byte_scan.h"

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

// The digest and its encoding are the same for every request of a session:
// they are made once per user and password, and handed out from where they
// are kept.
std::string_view authorizationOf(const std::string& user,
                                 const std::string& password) {
  static std::string keptUser;
  static std::string keptPassword;
  static std::string kept;
  if (kept.empty() || user != keptUser || password != keptPassword) {
    kept = base64Lines(user + ":" + md5UpperHex(user + ":" + password));
    keptUser = user;
    keptPassword = password;
  }
  return kept;
}

// Both credential elements of a text, each looked for once.
struct Credentials {
  std::optional<FoundElement> user;
  std::optional<FoundElement> password;
};

Credentials findCredentials(std::string_view text) {
  return {findCredential(text, Credential::kUserName),
          findCredential(text, Credential::kPassword)};
}

// The authorization lines of a request, whose credentials were found in
// `credentials`: the kept ones of its user and password, or lines made in
// `made`. When the administrator's are added, `sent` is the request with
// them, and its credentials are found again.
std::string_view authorization(ClientRequest& request, Credentials& credentials,
                               std::optional<ClientRequest>& sent,
                               std::string& made) {
  std::string password = elementValue(request.text(), credentials.password);
  if (!password.empty()) {
    return authorizationOf(elementValue(request.text(), credentials.user),
                           password);
  }
  if (!isLocalHost(request.host())) {
    made = base64Lines({});
    return made;
  }
  ClientRequest& withAdministrator = sent.emplace(request);
  addAdministratorCredentials(withAdministrator);
  credentials = findCredentials(withAdministrator.text());
  made = base64Lines(
      elementValue(withAdministrator.text(), credentials.user) + ":" +
      elementValue(withAdministrator.text(), credentials.password));
  return made;
}

// An element of the payload that starts at `start` of the request, found
// from where it lies in the whole request: the first one of the payload is
// the first one of the whole text when that lies in the payload. A
// zero-filled element stands for none.
FoundElement inPayload(const std::optional<FoundElement>& found,
                       std::size_t start, std::string_view payload,
                       Credential which, bool& present) {
  present = found.has_value();
  if (!found) return FoundElement{};
  if (found->element.start < start) {
    std::optional<FoundElement> again = findCredential(payload, which);
    present = again.has_value();
    return again.value_or(FoundElement{});
  }
  CredentialElement element = found->element;
  return FoundElement{{element.start - start, element.valueBegin - start,
                       element.valueEnd - start, element.end - start},
                      found->closed};
}

// Takes both credential elements out of the payload (found there as
// inPayload gives them). An element whose close tag is missing would leave
// its value on the wire: such a request is refused.
int cutCredentials(std::string& payload, const Credentials& credentials,
                   std::size_t start) {
  bool hasUser = false;
  bool hasPassword = false;
  FoundElement user = inPayload(credentials.user, start, payload,
                                Credential::kUserName, hasUser);
  FoundElement password = inPayload(credentials.password, start, payload,
                                    Credential::kPassword, hasPassword);
  if ((hasUser && !user.closed) || (hasPassword && !password.closed)) {
    trace(Layer::kFront, 1, "Username and password invalid order.");
    return EMCLIENTAPI_RESQUESTINVALID_ERROR;
  }
  if (hasUser && hasPassword) {
    const CredentialElement& u = user.element;
    const CredentialElement& p = password.element;
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
  Credentials credentials = findCredentials(request.text());
  // The caller's request stays as it is, so it can be sent again as it came.
  std::optional<ClientRequest> withAdministrator;
  std::string madeLines;
  std::string_view authorizationLines =
      authorization(request, credentials, withAdministrator, madeLines);
  ClientRequest& sent = withAdministrator ? *withAdministrator : request;
  std::size_t start = envelopeStart(sent.text());
  if (start == kNotFound) return EMCLIENTAPI_RESQUESTINVALID_ERROR;
  std::string payload = sent.text().substr(start);
  if (int result = cutCredentials(payload, credentials, start); result != 0) {
    return result;
  }
  if (int result = setClientAddress(payload); result != 0) return result;

  std::string_view action = kXmlInterfaceAction;
  std::size_t payloadSize = escapedSize(payload);
  std::size_t bodySize = kEnvelopeHead.size() + action.size() +
                         kPayloadOpen.size() + payloadSize +
                         kEnvelopeTail.size();
  http.clear();
  http.reserve(512 + authorizationLines.size() + sent.host().size() + bodySize);
  // The line feeds go in one by one: a text appended costs a call of its
  // own on every request.
  http.append(kTextTransportRequestLine).push_back('\n');
  http.append(kHostHeader);
  http.append(sent.host()).append(":").append(sent.port()).append("\n");
  http.append(kTextTransportUserAgent).push_back('\n');
  http.append(kAuthorizationHeader).append(" Basic ");
  http.append(authorizationLines).push_back('\n');
  http.append(kTextTransportContentType).push_back('\n');
  http.append(kContentLengthHeader);
  http.append(std::to_string(bodySize)).append("\n");
  http.append(kXmlInterfaceActionHeader).append("\"");
  http.append(action);
  http.append("/executeTextTransport\"\n\n");
  http.append(kEnvelopeHead).append(action).append(kPayloadOpen);
  appendEscaped(http, payload, payloadSize);
  http.append(kEnvelopeTail);
  return EMCLIENTAPI_SUCCESS;
}

// Both entities are turned back in one pass: neither can overlap the other
// or be made by turning the other back, so the result is that of replacing
// every "&lt;" first and every "&gt;" after.
bool extractPayload(std::string_view answer, std::string& payload) {
  constexpr std::string_view kOpen = "<xmlPayload>";
  constexpr std::string_view kClose = "</xmlPayload>";
  std::size_t open = findMarker(answer, kOpen);
  if (open == kNotFound) return false;
  std::size_t begin = open + kOpen.size();
  // An escaped payload holds no '<': the first one after it mostly starts
  // the close tag, and any close tag starts at or after it.
  std::size_t close = answer.find('<', begin);
  if (close == kNotFound) return false;
  if (answer.substr(close, kClose.size()) != kClose) {
    close = findMarker(answer, kClose, close);
    if (close == kNotFound) return false;
  }
  std::string_view text = answer.substr(begin, close - begin);
  if (!contains(text, "&lt;")) {
    payload.assign(text);
    return true;
  }
  payload.resize(text.size() + 16);
  char* write = payload.data();
  const char* read = text.data();
  const char* end = read + text.size();
  auto takeEntity = [&] {
    if (end - read >= 4 && read[2] == 't' && read[3] == ';' &&
        (read[1] == 'l' || read[1] == 'g')) {
      *write++ = read[1] == 'l' ? '<' : '>';
      read += 4;
    } else {
      *write++ = *read++;
    }
  };
  // A block without '&' is copied whole. In a block with some, each is
  // taken in turn from the one search, the bytes before it copied with one
  // sixteen-byte store (the payload has room to spare); what follows the
  // last one is read again as the start of the next block.
  while (end - read >= 16) {
    const char* block = read;
    unsigned found = platform::matchingBytes16(block, '&');
    if (found == 0) {
      std::memcpy(write, read, 16);
      read += 16;
      write += 16;
      continue;
    }
    for (; found != 0; found &= found - 1) {
      const char* entity = block + __builtin_ctz(found);
      if (entity < read) continue;
      if (end - read >= 16) {
        std::memcpy(write, read, 16);
      } else {
        std::memcpy(write, read, static_cast<std::size_t>(entity - read));
      }
      write += entity - read;
      read = entity;
      takeEntity();
    }
  }
  while (read < end) {
    if (*read == '&') {
      takeEntity();
    } else {
      *write++ = *read++;
    }
  }
  payload.resize(static_cast<std::size_t>(write - payload.data()));
  return true;
}

}  // namespace emclient
