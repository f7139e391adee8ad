// The manager's answers: a result (success, or a refusal with its message
// number) and a body of items, written out in the shape of either dialect.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sim {

struct Item {
  enum Kind { kLeaf, kLabel, kArray, kCategory, kContainer };
  Kind kind = kLeaf;
  std::string name;   // leaf and container element names
  std::string value;  // leaf text, label text
  int perRow = 0;     // arrays: leaves per row
  std::vector<Item> children;
};

Item Leaf(std::string name, std::string value);
Item Label(std::string text);
// An array of rows, each row the same number of leaves.
Item Array(int perRow, std::vector<Item> leaves);
Item Category(std::vector<Item> children);
Item Container(std::string name, std::vector<Item> children);

struct Answer {
  int status = 0;  // 0, or the message number of a refusal or busy answer
  // SuccessMsg (status 0) or NotSuccessMsg text; a plain query has none.
  std::string message;
  std::vector<Item> items;
};

// The first answer of the list dialect: the items wrapped in a getResponse
// when `query` is set, the success or failure message after them.
std::string RenderV1(const Answer& answer, bool query);
// The XML-interface dialect, in the interface's version-3 envelope: version,
// statuscode and statusdescription first, then the message elements and the
// items.
std::string RenderV3(const Answer& answer, std::string_view version);

}  // namespace sim
