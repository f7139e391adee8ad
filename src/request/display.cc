#include "request/display.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "request/ignored_properties.h"
#include "session/shown_text.h"
#include "session/tracked_memory.h"

namespace request {
namespace {

using session::outputStream;
using session::ResponseNode;

int displayWidth() {
  return static_cast<int>(session::sessionOptions.displayWidth);
}

int nameWidth(int depth) {
  return std::min(displayWidth() / 3, 50) + 2 * depth;
}

// Line feeds and tabs become blanks, other unprintable bytes go, and runs
// of blanks shrink to one.
std::string printableValue(const char* value) {
  std::string text;
  for (const char* p = value; *p != '\0'; ++p) {
    char c = (*p == '\n' || *p == '\t') ? ' ' : *p;
    if (c < 0x20 || c > 0x7E) continue;
    if (c == ' ' && !text.empty() && text.back() == ' ') continue;
    text += c;
  }
  return text;
}

void printSegment(std::string_view segment) {
  std::fwrite(segment.data(), 1, segment.size(), outputStream);
}

// `count` blanks ("%*s" of an empty text, written without the formatter,
// which costs more than the rest of a line).
void printBlanks(int count) {
  static const std::string kBlanks(512, ' ');
  for (; count > 0; count -= static_cast<int>(kBlanks.size())) {
    printSegment(std::string_view(kBlanks).substr(
        0, std::min(static_cast<std::size_t>(count), kBlanks.size())));
  }
}

// Breaks at the last blank that keeps a line within DISPLAY_WIDTH, inside
// a word when there is none; continuation lines start at `column`. A
// column already at the width leaves no room, so the rest goes unbroken.
void printWrapped(const char* value, int column) {
  std::string text = printableValue(value);
  std::string_view rest = text;
  int width = displayWidth();
  for (;;) {
    if (column + static_cast<int>(rest.size()) <= width || column >= width) {
      printSegment(rest);
      return;
    }
    std::size_t room = static_cast<std::size_t>(width - column);
    std::size_t cut = room;
    while (cut > 0 && rest[cut] != ' ') --cut;
    if (cut == 0) cut = room;
    printSegment(rest.substr(0, cut));
    rest.remove_prefix(cut);
    if (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    if (rest.empty()) return;
    std::fputc('\n', outputStream);
    printBlanks(column);
  }
}

void printElement(const session::CommandContext& context,
                  const ResponseNode& node, int depth) {
  int width = nameWidth(depth);
  int column = width + 3;
  std::string name = session::shownText(node.name);
  int length = static_cast<int>(name.size());
  std::fputc('\n', outputStream);
  if (length > width) {
    std::fputs(name.c_str(), outputStream);
    std::fputs(" :\n", outputStream);
    printBlanks(column);
  } else {
    printBlanks(width - length);
    std::fputs(name.c_str(), outputStream);
    std::fputs(" : ", outputStream);
  }
  if (isIgnoredProperty(context, node.name)) {
    std::fputs(kIgnoreMarker, outputStream);
  } else {
    printWrapped(node.value, column);
  }
}

void printHeading(session::CommandContext& context, const ResponseNode& owner,
                  const ResponseNode& below, int index, int depth) {
  char*& label = context.session->work.currentLabel;
  if (const char* arrayLabel = owner.arrayLabel(); arrayLabel != nullptr) {
    session::release(label);
    label = session::copyText(arrayLabel, std::strlen(arrayLabel), "quill_soap",
                              __LINE__);
  }
  int indent = 2 * depth;
  const char* categoryLabel = below.categoryLabel();
  if (categoryLabel == nullptr) {
    if (label != nullptr && label[0] != '\0') {
      std::fprintf(outputStream, "\n%*s%s [%d]:", indent, "",
                   session::shownText(label).c_str(), index);
    } else {
      std::fprintf(outputStream, "\n%*sMember [%d]:", indent, "", index);
    }
  } else if (categoryLabel[0] != '\0') {
    std::fprintf(outputStream, "\n%*s%s:", indent, "",
                 session::shownText(categoryLabel).c_str());
  }
}

// A chain frame prints nodes along `next`; a structures frame walks the
// child links below one node (array rows, or a category) and prints each
// one's chain one level deeper.
struct Frame {
  bool chain;
  const ResponseNode* node;
  int depth;
  int index;
};

}  // namespace

void DisplayResponse(session::CommandContext& context,
                     const ResponseNode* root) {
  std::vector<Frame> frames;
  frames.push_back(Frame{true, root, 0, 0});
  while (!frames.empty()) {
    Frame& top = frames.back();
    const ResponseNode* node = top.node;
    int depth = top.depth;
    if (top.chain) {
      if (node == nullptr) {
        frames.pop_back();
        continue;
      }
      top.node = node->next;
      if (node->name != nullptr) printElement(context, *node, depth);
      frames.push_back(Frame{false, node, depth + 1, 0});
      continue;
    }
    const ResponseNode* below = node->child;
    if (below == nullptr) {
      frames.pop_back();
      continue;
    }
    int index = top.index++;
    top.node = below;
    printHeading(context, *node, *below, index, depth);
    frames.push_back(Frame{true, below->next, depth, 0});
  }
}

}  // namespace request
