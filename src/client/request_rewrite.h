// Rewrites of a request text: the check and flattening of version-1
// requests, the credential elements, the client address and the body
// length. All of them work on the text with plain marker searches.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace emclient {

// Where the envelope starts: the first "<Envelope", else the first
// "<SOAP:Envelope"; kNotFound when neither is there.
std::size_t envelopeStart(std::string_view text);

// A version-1 request must hold every marker of the dialect; its envelope
// then loses every tab, line feed and carriage return. Other requests pass
// unchanged. 0, or 200 after logging the missing marker.
int validateAndFlatten(std::string& text);

// One credential element: the open tag's start, the value, and the end of
// the close tag. The version-1 tags are taken when the text has them, else
// the XML-interface ones.
struct CredentialElement {
  std::size_t start;
  std::size_t valueBegin;
  std::size_t valueEnd;
  std::size_t end;
};

enum class Credential { kUserName, kPassword };

// The element; nullopt without an open tag. `closed` tells whether its
// close tag follows it (an element without one is returned with its value
// and end at the open tag's end).
struct FoundElement {
  CredentialElement element;
  bool closed;
};
std::optional<FoundElement> findCredential(std::string_view text,
                                           Credential which);

// The value of a credential element with &lt; &gt; and &amp; decoded;
// empty when the element is missing or not closed.
std::string credentialValue(std::string_view text, Credential which);

// The same for an element findCredential found in `text`.
std::string elementValue(std::string_view text,
                         const std::optional<FoundElement>& found);

// Cuts the user-name element, then the password element, each only when
// both of its tags are there.
void stripCredentials(std::string& text);

// Puts the local computer's address between "<hostip>" and "</hostip>".
// 0 (also when the text has no such element), or 113 when the local
// address cannot be found.
int setClientAddress(std::string& text);

// Makes the "Content-Length:" header count the bytes from the envelope
// start to the end of the text.
void fixBodyLength(std::string& text);

}  // namespace emclient
