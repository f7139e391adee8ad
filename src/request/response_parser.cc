#include "request/response_parser.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "client/protocol_names.h"
#include "shell/shown_text.h"
#include "shell/tracked_memory.h"

namespace request {
namespace {

using shell::ResponseNode;

constexpr int64_t kUnlimited = -1;

struct Parser {
  shell::CommandContext& context;
  const char* cursor;
  const char* end;
  int depth;
};

enum class Step { kContinue, kDone, kError };

// Every handler gets the element start in `parser.cursor`, the chain's last
// node `last` and the count of leaves still allowed `count`; it leaves the
// cursor after what it read and `last`/`count` where the chain goes on.
using Handler = Step (*)(Parser& parser, ResponseNode*& last, int64_t& count);

// The rest of an answer that cannot be understood is shown to help find
// the fault, but not tens of megabytes of it.
constexpr std::size_t kShownRest = 64 * 1024;

void printRest(const char* format, const char* name, const char* rest) {
  std::string_view text(rest);
  std::size_t hidden = text.size() > kShownRest ? text.size() - kShownRest : 0;
  std::string shown = shell::shownText(text.substr(0, text.size() - hidden));
  if (name != nullptr) {
    std::fprintf(shell::errorStream(), format, shell::shownText(name).c_str(),
                 shown.c_str());
  } else {
    std::fprintf(shell::errorStream(), format, shown.c_str());
  }
  if (hidden > 0) {
    std::fprintf(shell::errorStream(), "\n... (%zu more bytes not shown)",
                 hidden);
  }
}

Step fail(const char* format, const char* rest) {
  printRest(format, nullptr, rest);
  return Step::kError;
}

Step failEndToken(const char* name, const char* rest) {
  printRest("\nError: Did not find end token \"</%s\" starting here->\n%s",
            name, rest);
  return Step::kError;
}

const char* findChar(const Parser& parser, const char* from, char wanted) {
  return static_cast<const char*>(
      std::memchr(from, wanted, static_cast<std::size_t>(parser.end - from)));
}

char* copyOf(const char* text, std::size_t length) {
  return shell::copyText(text, length, "quill_soap", __LINE__);
}

ResponseNode* newNode() {
  return shell::trackedNew<ResponseNode>("quill_soap", __LINE__);
}

// Reads the name of the element starting at the cursor and moves the
// cursor past its '>'.
Step readTagName(Parser& parser, std::string& name) {
  const char* start = parser.cursor;
  const char* close = findChar(parser, start, '>');
  if (close == nullptr) {
    return fail("\nError: Did not find '>' after token starting here->\n%s",
                start);
  }
  const char* p = start;
  while (p < close && (*p == '<' || *p == ' ')) ++p;
  const char* nameStart = p;
  while (p < close && *p != ' ' && *p != '=') ++p;
  if (p == nameStart) {
    return fail("\nError: Zero length token starting here->\n%s", start);
  }
  name.assign(nameStart, p);
  parser.cursor = close + 1;
  return Step::kContinue;
}

// An end tag only has to begin with the element's name, so </IDX> closes
// an element ID.
Step readEndTag(Parser& parser, const std::string& name) {
  const char* p = parser.cursor;
  std::size_t left = static_cast<std::size_t>(parser.end - p);
  if (left < 2 + name.size() || p[0] != '<' || p[1] != '/' ||
      std::memcmp(p + 2, name.data(), name.size()) != 0) {
    return failEndToken(name.c_str(), p);
  }
  const char* close = findChar(parser, p, '>');
  if (close == nullptr) {
    return fail("\nError: Did not find '>' after token starting here->\n%s", p);
  }
  parser.cursor = close + 1;
  return Step::kContinue;
}

// The element text up to the next '<', which the cursor is left on.
Step readText(Parser& parser, const char*& text, std::size_t& length) {
  const char* open = findChar(parser, parser.cursor, '<');
  if (open == nullptr) {
    return fail("\nError: Did not find '<' after info starting here->\n%s",
                parser.cursor);
  }
  text = parser.cursor;
  length = static_cast<std::size_t>(open - parser.cursor);
  parser.cursor = open;
  return Step::kContinue;
}

// Unsigned decimal digits, saturating, so no count can overflow.
uint32_t readCount(Parser& parser) {
  uint64_t value = 0;
  while (parser.cursor < parser.end && *parser.cursor >= '0' &&
         *parser.cursor <= '9') {
    value = value * 10 + static_cast<uint64_t>(*parser.cursor - '0');
    if (value > UINT32_MAX) value = UINT32_MAX;
    ++parser.cursor;
  }
  return static_cast<uint32_t>(value);
}

void replaceText(char*& slot, const char* text, std::size_t length) {
  shell::release(slot);
  slot = copyOf(text, length);
}

Step itemLoop(Parser& parser, ResponseNode*& last, int64_t count);

// A leaf is linked only once it has its value, so a tree left by a failed
// parse holds no node without one.
Step leaf(Parser& parser, ResponseNode*& last, int64_t& count) {
  if (count == 0) return Step::kDone;
  if (count > 0) --count;
  std::string name;
  if (readTagName(parser, name) == Step::kError) return Step::kError;
  bool empty = name.back() == '/';
  if (empty) name.pop_back();
  const char* text = "";
  std::size_t length = 0;
  if (!empty && readText(parser, text, length) == Step::kError) {
    return Step::kError;
  }
  ResponseNode* node = newNode();
  node->name = copyOf(name.data(), name.size());
  node->value = copyOf(text, length);
  last->next = node;
  last = node;
  return empty ? Step::kContinue : readEndTag(parser, name);
}

// Wrappers and containers leave no node: their content continues the chain.
Step wrapper(Parser& parser, ResponseNode*& last, int64_t& count) {
  std::string name;
  if (readTagName(parser, name) == Step::kError) return Step::kError;
  if (itemLoop(parser, last, count) == Step::kError) return Step::kError;
  return readEndTag(parser, name);
}

Step label(Parser& parser, ResponseNode*&, int64_t&) {
  std::string name;
  if (readTagName(parser, name) == Step::kError) return Step::kError;
  const char* text;
  std::size_t length;
  if (readText(parser, text, length) == Step::kError) return Step::kError;
  while (length > 0 && text[length - 1] == ' ') --length;
  replaceText(parser.context.session->work.currentLabel, text, length);
  return readEndTag(parser, name);
}

const char* currentLabel(const Parser& parser) {
  const char* label = parser.context.session->work.currentLabel;
  return label != nullptr ? label : "";
}

Step category(Parser& parser, ResponseNode*& last, int64_t& count) {
  std::string name;
  if (readTagName(parser, name) == Step::kError) return Step::kError;
  ResponseNode* node = newNode();
  last->child = node;
  const char* label = currentLabel(parser);
  replaceText(node->categoryLabel, label, std::strlen(label));
  ResponseNode* head = newNode();
  node->next = head;
  if (itemLoop(parser, head, kUnlimited) == Step::kError) return Step::kError;
  ResponseNode* tail = newNode();
  last->next = tail;
  last = tail;
  count = kUnlimited;
  return readEndTag(parser, name);
}

// A row whose content starts with a category or an array hangs that
// structure on its own anchor; the next row must take the anchor's child
// link, so the structure moves one anchor down the row's chain.
void keepRowStructure(ResponseNode& row) {
  if (row.child == nullptr) return;
  ResponseNode* holder = newNode();
  holder->child = row.child;
  holder->arrayLabel = row.arrayLabel;
  holder->next = row.next;
  row.child = nullptr;
  row.arrayLabel = nullptr;
  row.next = holder;
}

const char* nextTag(const Parser& parser) {
  const char* open = findChar(parser, parser.cursor, '<');
  return open != nullptr ? open : parser.end;
}

Step array(Parser& parser, ResponseNode*& last, int64_t& count) {
  const char* start = parser.cursor;
  const char* bracket = findChar(parser, start, '[');
  if (bracket == nullptr) {
    return fail(
        "\nError: Did not find '[' after array token starting here->\n%s",
        start);
  }
  std::string name;
  if (readTagName(parser, name) == Step::kError) return Step::kError;
  parser.cursor = bracket + 1;
  uint32_t perRow = readCount(parser);
  const char* comma = findChar(parser, parser.cursor, ',');
  if (comma == nullptr) {
    return fail(
        "\nError: Did not find ',' after first array count starting "
        "here->\n%s",
        parser.cursor);
  }
  parser.cursor = comma + 1;
  uint32_t rows = readCount(parser);
  const char* close = findChar(parser, parser.cursor, '>');
  if (close == nullptr) {
    return fail("\nError: Did not find '>' after token starting here->\n%s",
                parser.cursor);
  }
  parser.cursor = close + 1;

  ResponseNode* owner = last;
  const char* label = currentLabel(parser);
  replaceText(owner->arrayLabel, label, std::strlen(label));
  ResponseNode* above = owner;
  for (uint32_t i = 0; i < rows; ++i) {
    ResponseNode* row = newNode();
    above->child = row;
    above = row;
    const char* before = nextTag(parser);
    ResponseNode* rowLast = row;
    if (itemLoop(parser, rowLast, perRow) == Step::kError) return Step::kError;
    keepRowStructure(*row);
    // A row that added nothing and did not move on will be followed by
    // identical empty rows; the count the server announced is not trusted.
    if (row->next == nullptr && parser.cursor == before) break;
  }
  ResponseNode* tail = newNode();
  owner->next = tail;
  last = tail;
  count = kUnlimited;
  parser.cursor = nextTag(parser);
  return readEndTag(parser, name);
}

struct StructuralTag {
  std::string opening;
  Handler handler;
};

const StructuralTag* structuralTags(std::size_t& size) {
  static const StructuralTag kTags[] = {
      {emclient::kV1EnvelopeTag, wrapper},
      {std::string("<SOAP:Envelope xmlns=\"") +
           emclient::kInterfaceV3Namespace + "\" xmlns:zorapi=\"" +
           emclient::kInterfaceV3Namespace + "\">",
       wrapper},
      {"<SOAP:Envelope>", wrapper},
      {std::string(emclient::kV1BodyOpen) + ">", wrapper},
      {"<SOAP:Body>", wrapper},
      {"<object>", wrapper},
      {"<OBJECT>", wrapper},
      {"<membervirtualdisks>", wrapper},
      {"<member>", wrapper},
      {"<linkscells>", wrapper},
      {"<link>", wrapper},
      {"<remotevdisk>", wrapper},
      {"<remotevdiskmembers>", wrapper},
      {std::string("<m:getResponse ") + emclient::kV1OperationTagEnd, wrapper},
      {"<ArrayOfString xsd:type=\"u:string[", array},
      {"<Category>", category},
      {"<LabelName xsd:type=\"u:string\">", label},
  };
  size = std::size(kTags);
  return kTags;
}

Handler handlerFor(const Parser& parser) {
  std::size_t size;
  const StructuralTag* tags = structuralTags(size);
  std::size_t left = static_cast<std::size_t>(parser.end - parser.cursor);
  for (std::size_t i = 0; i < size; ++i) {
    const std::string& opening = tags[i].opening;
    // Most elements are leaves: the name's first letter rules out nearly
    // every structural tag before a whole comparison.
    if (opening.size() <= left && parser.cursor[1] == opening[1] &&
        std::memcmp(parser.cursor, opening.data(), opening.size()) == 0) {
      return tags[i].handler;
    }
  }
  return leaf;
}

// Reads elements into the chain after `last` until an end tag, the end of
// the text, or a leaf beyond `count` (kUnlimited: no limit).
Step itemLoop(Parser& parser, ResponseNode*& last, int64_t count) {
  if (parser.depth == kMaxResponseNesting) {
    return fail("\nError: Response nested too deeply starting here->\n%s",
                parser.cursor);
  }
  ++parser.depth;
  Step step = Step::kContinue;
  while (step == Step::kContinue) {
    parser.cursor = nextTag(parser);
    if (parser.cursor == parser.end || parser.cursor[1] == '/') {
      step = Step::kDone;
      break;
    }
    step = handlerFor(parser)(parser, last, count);
  }
  --parser.depth;
  return step == Step::kError ? Step::kError : Step::kDone;
}

}  // namespace

int ParseResponse(shell::CommandContext& context, const char* text,
                  ResponseNode* root) {
  Parser parser{context, text, text + std::strlen(text), 0};
  ResponseNode* last = root;
  return itemLoop(parser, last, kUnlimited) == Step::kError ? 1 : 0;
}

int ParseResponseText(shell::CommandContext& context) {
  shell::WorkArea& work = context.session->work;
  shell::releaseTree(work.responseTree);
  work.responseTree = newNode();
  const char* text = work.responseText != nullptr ? work.responseText : "";
  return ParseResponse(context, text, work.responseTree);
}

}  // namespace request
