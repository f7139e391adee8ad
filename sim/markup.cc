#include "sim/markup.h"

namespace sim {
namespace {

constexpr int kMaxDepth = 32;

bool EndsName(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '>' ||
         c == '=' || c == '/';
}

bool IsBlank(std::string_view text) {
  for (char c : text) {
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return false;
  }
  return true;
}

struct Reader {
  std::string_view text;
  size_t at = 0;
  std::string error;

  bool Fail(std::string message) {
    error = std::move(message) + " at offset " + std::to_string(at);
    return false;
  }

  // Skips "<?...?>", "<!--...-->" and "<!...>" at the cursor.
  bool SkipSpecial() {
    std::string_view rest = text.substr(at);
    std::string_view close = rest.starts_with("<?")     ? "?>"
                             : rest.starts_with("<!--") ? "-->"
                                                        : ">";
    size_t end = rest.find(close, 2);
    if (end == std::string_view::npos) return Fail("unterminated declaration");
    at += end + close.size();
    return true;
  }

  // Reads the content of `parent` up to its end tag (or the end of the text
  // for the root).
  bool Content(Element& parent, int depth, bool isRoot) {
    std::string pendingText;
    while (true) {
      size_t open = text.find('<', at);
      if (open == std::string_view::npos) {
        if (!isRoot) return Fail("missing end tag </" + parent.name + ">");
        at = text.size();
        return true;
      }
      pendingText.append(text.substr(at, open - at));
      at = open;
      if (text.substr(at).starts_with("</")) {
        if (isRoot) return Fail("unexpected end tag");
        size_t nameStart = at + 2;
        size_t nameEnd = nameStart;
        while (nameEnd < text.size() && !EndsName(text[nameEnd])) ++nameEnd;
        if (text.substr(nameStart, nameEnd - nameStart) != parent.name) {
          return Fail("end tag does not match <" + parent.name + ">");
        }
        size_t close = text.find('>', nameEnd);
        if (close == std::string_view::npos) return Fail("unterminated tag");
        at = close + 1;
        if (parent.children.empty()) {
          parent.text = std::move(pendingText);
        } else if (!IsBlank(pendingText)) {
          return Fail("text mixed with elements in <" + parent.name + ">");
        }
        return true;
      }
      if (text.substr(at).starts_with("<?") ||
          text.substr(at).starts_with("<!")) {
        if (!SkipSpecial()) return false;
        continue;
      }
      if (!IsBlank(pendingText)) {
        return Fail("text mixed with elements in <" + parent.name + ">");
      }
      pendingText.clear();
      if (!Child(parent, depth)) return false;
    }
  }

  bool Child(Element& parent, int depth) {
    if (depth >= kMaxDepth) return Fail("elements nest too deeply");
    size_t nameStart = at + 1;
    size_t nameEnd = nameStart;
    while (nameEnd < text.size() && !EndsName(text[nameEnd])) ++nameEnd;
    if (nameEnd == nameStart) return Fail("tag without a name");
    size_t close = text.find('>', nameEnd);
    if (close == std::string_view::npos) return Fail("unterminated tag");
    Element child;
    child.name = std::string(text.substr(nameStart, nameEnd - nameStart));
    at = close + 1;
    bool selfClosing = text[close - 1] == '/';
    if (!selfClosing && !Content(child, depth + 1, false)) return false;
    parent.children.push_back(std::move(child));
    return true;
  }
};

}  // namespace

bool ParseMarkup(std::string_view text, Element& root, std::string& error) {
  Reader reader{text, 0, {}};
  if (!reader.Content(root, 0, true)) {
    error = reader.error;
    return false;
  }
  return true;
}

const Element* FindChild(const Element& parent, std::string_view name) {
  for (const Element& child : parent.children) {
    if (child.name == name) return &child;
  }
  return nullptr;
}

const Element* FindDescendant(const Element& parent, std::string_view name) {
  for (const Element& child : parent.children) {
    if (child.name == name) return &child;
    if (const Element* found = FindDescendant(child, name)) return found;
  }
  return nullptr;
}

}  // namespace sim
