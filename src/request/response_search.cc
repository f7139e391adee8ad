#include "request/response_search.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "session/output.h"

namespace request {
namespace {

using session::ResponseNode;

// Visits the tree node first, then its child structure, then its next
// chain, calling `visit` until it returns false.
template <typename Visit>
void walkNodeChildNext(const ResponseNode* root, Visit visit) {
  // Kept between searches: a command searches its answer many times.
  static std::vector<const ResponseNode*> pending;
  pending.clear();
  if (root != nullptr) pending.push_back(root);
  while (!pending.empty()) {
    const ResponseNode* node = pending.back();
    pending.pop_back();
    if (!visit(*node)) return;
    if (node->next != nullptr) pending.push_back(node->next);
    if (node->child != nullptr) pending.push_back(node->child);
  }
}

}  // namespace

// Searching next, then child, then the node itself is exactly the reverse
// of visiting node, child, next; so the wanted node is the last match of
// that forward walk.
const ResponseNode* FindResponseElement(const ResponseNode* root,
                                        const char* name) {
  const ResponseNode* found = nullptr;
  walkNodeChildNext(root, [&](const ResponseNode& node) {
    if (node.name != nullptr && node.name[0] == name[0] &&
        std::strcmp(node.name, name) == 0) {
      found = &node;
    }
    return true;
  });
  return found;
}

const char* FindElementValue(const ResponseNode* root, const char* name,
                             int n) {
  const char* value = nullptr;
  int seen = 0;
  walkNodeChildNext(root, [&](const ResponseNode& node) {
    if (node.name != nullptr && sameNameIgnoringCase(node.name, name) &&
        ++seen == n) {
      value = node.value;
      return false;
    }
    return true;
  });
  return value;
}

const char* RequiredValue(const char* value, const char* tag) {
  if (value == nullptr) {
    std::fprintf(session::errorStream(),
                 "\nError: Required token \"%s\" not found", tag);
    return nullptr;
  }
  if (value[0] == '\0') {
    std::fprintf(session::errorStream(),
                 "\nError: Required token \"%s\" zero-length string", tag);
    return nullptr;
  }
  return value;
}

}  // namespace request
