// A lenient reader for the tag markup of the manager's requests. The
// version-1 dialect is not well-formed XML (its body tag is written
// "<SOAP:Body=...>"), so tag names end at a blank, '>', '=' or '/', attributes
// are skipped, and element text is taken verbatim.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sim {

struct Element {
  std::string name;
  std::string text;  // verbatim text of an element without children
  std::vector<Element> children;
};

// Reads `text` into the children of `root`. Declarations, comments and
// processing instructions are skipped. False, with `error` set, when a tag is
// unterminated, an end tag does not match its element, or elements nest
// deeper than a request ever does.
bool ParseMarkup(std::string_view text, Element& root, std::string& error);

// The first child of `parent` named `name`, or nullptr.
const Element* FindChild(const Element& parent, std::string_view name);

// The first element named `name` at any depth below `parent` (depth first,
// document order), or nullptr.
const Element* FindDescendant(const Element& parent, std::string_view name);

}  // namespace sim
