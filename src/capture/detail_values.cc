#include "capture/detail_values.h"

#include <strings.h>

#include <cstdio>
#include <utility>
#include <vector>

#include "request/response_search.h"
#include "session/output.h"
#include "session/shown_text.h"

namespace capture {
namespace {

using session::ResponseNode;

struct Pending {
  const ResponseNode* node;
  bool row;  // an array row: its elements come before the rows below it
};

}  // namespace

// A node comes first, then what hangs below it, then the rest of its
// chain; but an array row anchor holds its own elements in its chain and
// the next row below it, so for a row the chain goes first. Walked without
// recursion, so an answer of any depth is searched safely.
const char* detailValue(const ResponseNode* details, const char* tag, int n) {
  // Kept between calls: a capture reads many values of every object.
  static std::vector<Pending> pending;
  pending.clear();
  int seen = 0;
  // The walk goes straight on to the node that comes next; only the one
  // left for later is kept, so a chain of leaves keeps nothing.
  Pending at{details, false};
  while (at.node != nullptr) {
    const ResponseNode* node = at.node;
    if (node->name != nullptr &&
        request::sameNameIgnoringCase(node->name, tag) && ++seen == n) {
      return node->value;
    }
    // A child without a category label is an array row.
    Pending first{node->child, node->child != nullptr &&
                                   node->child->categoryLabel() == nullptr};
    Pending second{node->next, false};
    if (at.row) std::swap(first, second);
    if (first.node == nullptr) std::swap(first, second);
    if (second.node != nullptr) pending.push_back(second);
    if (first.node != nullptr) {
      at = first;
    } else if (!pending.empty()) {
      at = pending.back();
      pending.pop_back();
    } else {
      at = Pending{nullptr, false};
    }
  }
  return nullptr;
}

const char* RequireToken(const ResponseNode* details, const char* tag, int n) {
  return request::RequiredValue(detailValue(details, tag, n), tag);
}

const char* TranslateToKeyword(const char* value, const KeywordPair* pairs,
                               std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (strcasecmp(pairs[i].serverText, value) == 0) return pairs[i].keyword;
  }
  std::fprintf(session::errorStream(),
               "\nError: Cannot translate token \"%s\".  Choices are the "
               "following:",
               session::shownText(value).c_str());
  for (std::size_t i = 0; i < count; ++i) {
    std::fprintf(session::errorStream(), "\n       %s", pairs[i].serverText);
  }
  return nullptr;
}

}  // namespace capture
