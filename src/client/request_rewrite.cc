#include "client/request_rewrite.h"

#include "client/debug_log.h"
#include "client/emclient_api.h"
#include "client/local_host.h"
#include "client/protocol_names.h"
#include "client/text_search.h"

namespace emclient {
namespace {

constexpr std::string_view kVersion1Markers[] = {
    kV1RequestLine,
    kSoapContentType,
    kContentLengthHeader,
    kV1ActionHeader,
    kV1EnvelopeTag,
    kV1BodyOpen,
    "<m:",
    kV1OperationTagEnd,
    "<UserPassword xsd:type=\"string\">",
    "</UserPassword>",
    "<UserName xsd:type=\"string\">",
    "</UserName>",
    "<Type xsd:type=\"string\">",
    "</m:",
    "</SOAP:Body>",
    "</SOAP:Envelope>",
};

struct TagPair {
  std::string_view open;
  std::string_view close;
};

// Version-1 tags first, then the XML-interface ones.
constexpr TagPair kUserNameTags[] = {
    {"<UserName xsd:type=\"string\">", "</UserName>"},
    {"<username>", "</username>"},
};
constexpr TagPair kPasswordTags[] = {
    {"<UserPassword xsd:type=\"string\">", "</UserPassword>"},
    {"<userpassword>", "</userpassword>"},
};

struct Entity {
  std::string_view text;
  char character;
};
constexpr Entity kEntities[] = {{"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}};

std::string decodeEntities(std::string_view text) {
  if (text.find('&') == std::string_view::npos) return std::string(text);
  std::string decoded;
  decoded.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    bool replaced = false;
    for (const Entity& entity : kEntities) {
      if (text.substr(at, entity.text.size()) == entity.text) {
        decoded.push_back(entity.character);
        at += entity.text.size();
        replaced = true;
        break;
      }
    }
    if (!replaced) decoded.push_back(text[at++]);
  }
  return decoded;
}

void cutElement(std::string& text, Credential which) {
  std::optional<FoundElement> found = findCredential(text, which);
  if (found && found->closed) {
    text.erase(found->element.start, found->element.end - found->element.start);
  }
}

bool isLineBreakOrTab(char c) { return c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

// One pass over the envelope names finds both kinds: the first bare one
// wins wherever it lies, so the pass goes on after a prefixed one.
std::size_t envelopeStart(std::string_view text) {
  constexpr std::string_view kName = "Envelope";
  constexpr std::string_view kPrefix = "<SOAP:";
  std::size_t prefixed = kNotFound;
  for (std::size_t at = findMarker(text, kName, 1); at != kNotFound;
       at = findMarker(text, kName, at + kName.size())) {
    if (text[at - 1] == '<') return at - 1;
    if (prefixed == kNotFound && at >= kPrefix.size() &&
        text.substr(at - kPrefix.size(), kPrefix.size()) == kPrefix) {
      prefixed = at - kPrefix.size();
    }
  }
  return prefixed;
}

int validateAndFlatten(std::string& text) {
  if (!contains(text, kVersion1Markers[0])) return EMCLIENTAPI_SUCCESS;
  for (std::string_view marker : kVersion1Markers) {
    if (!contains(text, marker)) {
      trace(Layer::kElm, 1, "Validation string not found ->", marker);
      return EMCLIENTAPI_RESQUESTINVALID_ERROR;
    }
  }
  std::size_t split = findMarker(text, "<SOAP:Envelope");
  std::string flattened = text.substr(0, split);
  for (std::size_t at = split; at < text.size(); ++at) {
    if (!isLineBreakOrTab(text[at])) flattened.push_back(text[at]);
  }
  text = std::move(flattened);
  return EMCLIENTAPI_SUCCESS;
}

std::optional<FoundElement> findCredential(std::string_view text,
                                           Credential which) {
  const TagPair* tags =
      which == Credential::kUserName ? kUserNameTags : kPasswordTags;
  for (int variant = 0; variant < 2; ++variant) {
    std::size_t start = findMarker(text, tags[variant].open);
    if (start == kNotFound) continue;
    std::size_t valueBegin = start + tags[variant].open.size();
    std::size_t close = findMarker(text, tags[variant].close, valueBegin);
    if (close == kNotFound) {
      return FoundElement{{start, valueBegin, valueBegin, valueBegin}, false};
    }
    return FoundElement{
        {start, valueBegin, close, close + tags[variant].close.size()}, true};
  }
  return std::nullopt;
}

std::string credentialValue(std::string_view text, Credential which) {
  return elementValue(text, findCredential(text, which));
}

std::string elementValue(std::string_view text,
                         const std::optional<FoundElement>& found) {
  if (!found || !found->closed) return {};
  const CredentialElement& element = found->element;
  return decodeEntities(
      text.substr(element.valueBegin, element.valueEnd - element.valueBegin));
}

void stripCredentials(std::string& text) {
  cutElement(text, Credential::kUserName);
  cutElement(text, Credential::kPassword);
}

int setClientAddress(std::string& text) {
  std::optional<Span> span = findBetween(text, "<hostip>", "</hostip>");
  if (!span) return EMCLIENTAPI_SUCCESS;
  std::string address = localAddress();
  if (address.empty()) return EMCLIENTAPISOCKET_CANNOTRESOLVELOCALHOSTIP_ERROR;
  text.replace(span->begin, span->end - span->begin, address);
  return EMCLIENTAPI_SUCCESS;
}

void fixBodyLength(std::string& text) {
  std::size_t envelope = envelopeStart(text);
  if (envelope == kNotFound) return;
  std::size_t header = findMarker(text, kContentLengthHeader);
  if (header == kNotFound || header > envelope) return;
  std::size_t lineEnd = text.find_first_of("\n\r", header);
  if (lineEnd == kNotFound || lineEnd > envelope) return;
  std::string replacement = std::string(kContentLengthHeader) + " " +
                            std::to_string(text.size() - envelope);
  text.replace(header, lineEnd - header, replacement);
}

}  // namespace emclient
