#include "request/response_json.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace request {
namespace {

using nlohmann::ordered_json;
using session::ResponseNode;

// An object being filled, which knows the keys already given more than
// once: their values are arrays of the values given.
struct JsonObject {
  ordered_json value = ordered_json::object();
  std::vector<std::string> repeated;

  void add(const std::string& key, ordered_json item) {
    auto found = value.find(key);
    if (found == value.end()) {
      value[key] = std::move(item);
      return;
    }
    if (std::find(repeated.begin(), repeated.end(), key) == repeated.end()) {
      repeated.push_back(key);
      *found = ordered_json::array({std::move(*found)});
    }
    found->push_back(std::move(item));
  }
};

std::string labelOr(const char* label, const char* otherwise) {
  return label != nullptr && label[0] != '\0' ? label : otherwise;
}

// Walks one chain along `next`, as the detail layout prints it: each
// node's element, then the structures hanging below it (array rows and
// categories, along `child`), then the next node. A structure's own chain
// is a frame of its own above this one.
struct Frame {
  const ResponseNode* node = nullptr;   // next node of the chain
  const ResponseNode* below = nullptr;  // its child: the next structure
  const ResponseNode* owner = nullptr;  // the node the structures hang below
  JsonObject object;
  ordered_json rows = ordered_json::array();
  bool isCategory = false;  // how this frame's object joins its parent
  std::string label;
};

Frame chainFrame(const ResponseNode* node, bool isCategory, std::string label) {
  Frame frame;
  frame.node = node;
  frame.isCategory = isCategory;
  frame.label = std::move(label);
  return frame;
}

// The structures below `owner` are done: its array rows join the object,
// none at all when the array had no rows.
void closeStructures(Frame& frame) {
  if (frame.owner->arrayLabel() != nullptr || !frame.rows.empty()) {
    frame.object.add(labelOr(frame.owner->arrayLabel(), "Member"),
                     std::move(frame.rows));
    frame.rows = ordered_json::array();
  }
  frame.below = nullptr;
}

}  // namespace

ordered_json ResponseJson(const ResponseNode* root) {
  std::vector<Frame> frames;
  frames.push_back(chainFrame(root, false, ""));
  ordered_json result;
  while (!frames.empty()) {
    Frame& top = frames.back();
    if (top.below != nullptr) {
      const ResponseNode* structure = top.below->child;
      if (structure == nullptr) {
        closeStructures(top);
        continue;
      }
      top.below = structure;
      bool isCategory = structure->categoryLabel() != nullptr;
      std::string label =
          isCategory ? labelOr(structure->categoryLabel(), "Category") : "";
      frames.push_back(
          chainFrame(structure->next, isCategory, std::move(label)));
      continue;
    }
    const ResponseNode* node = top.node;
    if (node == nullptr) {
      Frame done = std::move(top);
      frames.pop_back();
      if (frames.empty()) {
        result = std::move(done.object.value);
      } else if (done.isCategory) {
        frames.back().object.add(done.label, std::move(done.object.value));
      } else {
        frames.back().rows.push_back(std::move(done.object.value));
      }
      continue;
    }
    top.node = node->next;
    if (node->name != nullptr) {
      top.object.add(node->name, node->value != nullptr ? node->value : "");
    }
    if (node->child != nullptr || node->arrayLabel() != nullptr) {
      top.below = node;
      top.owner = node;
    }
  }
  return result;
}

}  // namespace request
