// A one-line picture of a small answer tree for test expectations: each
// chain is its nodes separated by blanks; a node is name=value, or # for an
// anchor; {label} marks a category's label, <label> an array's label, and
// the structure below a node follows it in parentheses.
#pragma once

#include <string>

#include "session/session.h"

namespace request_test {

inline std::string treeText(const session::ResponseNode* node) {
  std::string text;
  for (; node != nullptr; node = node->next) {
    if (!text.empty()) text += ' ';
    text += node->name != nullptr ? std::string(node->name) + "=" + node->value
                                  : std::string("#");
    if (node->categoryLabel() != nullptr) {
      text += std::string("{") + node->categoryLabel() + "}";
    }
    if (node->arrayLabel() != nullptr) {
      text += std::string("<") + node->arrayLabel() + ">";
    }
    if (node->child != nullptr) text += "(" + treeText(node->child) + ")";
  }
  return text;
}

}  // namespace request_test
