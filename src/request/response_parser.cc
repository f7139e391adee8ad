#include "request/response_parser.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "client/protocol_names.h"
#include "platform/byte_scan.h"
#include "session/shown_text.h"
#include "session/tracked_arena.h"
#include "session/tracked_memory.h"

namespace request {
namespace {

using session::ResponseNode;

constexpr int64_t kUnlimited = -1;

// Names repeat in every row of a list: each is kept once per answer, found
// again through a small table indexed by a hash of the name.
constexpr std::size_t kNameSlots = 64;

struct KeptName {
  const char* text;
  std::size_t length;
};

// A span of the answer text.
struct Span {
  const char* start;
  std::size_t length;
};

struct Parser {
  session::CommandContext& context;
  const char* cursor;
  const char* end;
  int depth;
  session::Arena arena;  // the nodes and their texts
  char* emptyText;
  KeptName names[kNameSlots];
  // The last label text read, kept as a span of the answer until the parse
  // ends; before the first, the work area's currentLabel holds the label.
  bool labelRead;
  Span label;
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
  std::string shown = session::shownText(text.substr(0, text.size() - hidden));
  if (name != nullptr) {
    std::fprintf(session::errorStream(), format,
                 session::shownText(name).c_str(), shown.c_str());
  } else {
    std::fprintf(session::errorStream(), format, shown.c_str());
  }
  if (hidden > 0) {
    std::fprintf(session::errorStream(), "\n... (%zu more bytes not shown)",
                 hidden);
  }
}

Step fail(const char* format, const char* rest) {
  printRest(format, nullptr, rest);
  return Step::kError;
}

Step failEndToken(Span name, const char* rest) {
  std::string text(name.start, name.length);
  printRest("\nError: Did not find end token \"</%s\" starting here->\n%s",
            text.c_str(), rest);
  return Step::kError;
}

ResponseNode* newNode(Parser& parser) {
  return static_cast<ResponseNode*>(
      session::arenaAllocate(parser.arena, sizeof(ResponseNode)));
}

char* copyText(Parser& parser, const char* text, std::size_t length) {
  if (length == 0) {
    if (parser.emptyText == nullptr) {
      parser.emptyText = session::arenaText(parser.arena, "", 0);
    }
    return parser.emptyText;
  }
  return session::arenaText(parser.arena, text, length);
}

char* keptName(Parser& parser, Span name) {
  if (name.length == 0) return copyText(parser, "", 0);
  auto first = static_cast<unsigned char>(name.start[0]);
  auto last = static_cast<unsigned char>(name.start[name.length - 1]);
  std::size_t slot = (name.length * 7 + first * 3 + last) % kNameSlots;
  KeptName& kept = parser.names[slot];
  if (kept.length != name.length ||
      !platform::sameBytes(kept.text, name.start, name.length)) {
    kept.text = copyText(parser, name.start, name.length);
    kept.length = name.length;
  }
  return const_cast<char*>(kept.text);
}

// A label kept in an anchor's value, behind its mark.
char* markedLabel(Parser& parser, char mark) {
  const char* label = parser.context.session->work.currentLabel;
  if (label == nullptr) label = "";
  std::size_t length = std::strlen(label);
  if (parser.labelRead) {
    label = parser.label.start;
    length = parser.label.length;
  }
  // The copy's first byte makes room for the mark.
  char* marked = session::arenaText(parser.arena, label, length + 1);
  std::memmove(marked + 1, marked, length);
  marked[0] = mark;
  return marked;
}

// Reads the name of the element starting at the cursor and moves the
// cursor past its '>'. The name runs to the first blank, '=' or '>', so one
// scan finds its end and, for a tag without attributes, the '>' too.
Step readTagName(Parser& parser, Span& name) {
  const char* start = parser.cursor;
  const char* p = start;
  while (p < parser.end && (*p == '<' || *p == ' ')) ++p;
  const char* nameEnd = platform::findAny(p, parser.end, '>', ' ', '=');
  const char* close = nameEnd == nullptr || *nameEnd == '>'
                          ? nameEnd
                          : platform::findChar(nameEnd, parser.end, '>');
  if (close == nullptr) {
    return fail("\nError: Did not find '>' after token starting here->\n%s",
                start);
  }
  if (nameEnd == p) {
    return fail("\nError: Zero length token starting here->\n%s", start);
  }
  name = Span{p, static_cast<std::size_t>(nameEnd - p)};
  parser.cursor = close + 1;
  return Step::kContinue;
}

// An end tag only has to begin with the element's name, so </IDX> closes
// an element ID.
Step readEndTag(Parser& parser, Span name) {
  const char* p = parser.cursor;
  std::size_t left = static_cast<std::size_t>(parser.end - p);
  if (left < 2 + name.length || p[0] != '<' || p[1] != '/' ||
      !platform::sameBytes(p + 2, name.start, name.length)) {
    return failEndToken(name, p);
  }
  // The name holds no '>': the search starts after it.
  const char* close = platform::findChar(p + 2 + name.length, parser.end, '>');
  if (close == nullptr) {
    return fail("\nError: Did not find '>' after token starting here->\n%s", p);
  }
  parser.cursor = close + 1;
  return Step::kContinue;
}

// The element text up to the next '<', which the cursor is left on.
Step readText(Parser& parser, Span& text) {
  const char* open = platform::findChar(parser.cursor, parser.end, '<');
  if (open == nullptr) {
    return fail("\nError: Did not find '<' after info starting here->\n%s",
                parser.cursor);
  }
  text = Span{parser.cursor, static_cast<std::size_t>(open - parser.cursor)};
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

Step itemLoop(Parser& parser, ResponseNode*& last, int64_t count);

// A leaf is linked only once it has its value, so a tree left by a failed
// parse holds no node without one.
Step leaf(Parser& parser, ResponseNode*& last, int64_t& count) {
  if (count == 0) return Step::kDone;
  if (count > 0) --count;
  Span name;
  if (readTagName(parser, name) == Step::kError) return Step::kError;
  bool empty = name.start[name.length - 1] == '/';
  if (empty) --name.length;
  Span text{"", 0};
  if (!empty && readText(parser, text) == Step::kError) return Step::kError;
  ResponseNode* node = newNode(parser);
  node->name = keptName(parser, name);
  node->value = copyText(parser, text.start, text.length);
  last->next = node;
  last = node;
  return empty ? Step::kContinue : readEndTag(parser, name);
}

// Wrappers and containers leave no node: their content continues the chain.
Step wrapper(Parser& parser, ResponseNode*& last, int64_t& count) {
  Span name;
  if (readTagName(parser, name) == Step::kError) return Step::kError;
  if (itemLoop(parser, last, count) == Step::kError) return Step::kError;
  return readEndTag(parser, name);
}

Step label(Parser& parser, ResponseNode*&, int64_t&) {
  Span name;
  if (readTagName(parser, name) == Step::kError) return Step::kError;
  Span text;
  if (readText(parser, text) == Step::kError) return Step::kError;
  while (text.length > 0 && text.start[text.length - 1] == ' ') --text.length;
  parser.labelRead = true;
  parser.label = text;
  return readEndTag(parser, name);
}

Step category(Parser& parser, ResponseNode*& last, int64_t& count) {
  Span name;
  if (readTagName(parser, name) == Step::kError) return Step::kError;
  ResponseNode* node = newNode(parser);
  last->child = node;
  node->value = markedLabel(parser, session::kCategoryLabelMark);
  ResponseNode* head = newNode(parser);
  node->next = head;
  if (itemLoop(parser, head, kUnlimited) == Step::kError) return Step::kError;
  ResponseNode* tail = newNode(parser);
  last->next = tail;
  last = tail;
  count = kUnlimited;
  return readEndTag(parser, name);
}

// A row whose content starts with a category or an array hangs that
// structure on its own anchor; the next row must take the anchor's child
// link, so the structure (with the tail after it) moves one anchor down
// the row's chain.
void keepRowStructure(Parser& parser, ResponseNode& row) {
  if (row.child == nullptr) return;
  ResponseNode* holder = newNode(parser);
  holder->child = row.child;
  holder->next = row.next;
  row.child = nullptr;
  row.next = holder;
}

const char* nextTag(const Parser& parser) {
  const char* open = platform::findChar(parser.cursor, parser.end, '<');
  return open != nullptr ? open : parser.end;
}

Step array(Parser& parser, ResponseNode*& last, int64_t& count) {
  const char* start = parser.cursor;
  const char* bracket = platform::findChar(start, parser.end, '[');
  if (bracket == nullptr) {
    return fail(
        "\nError: Did not find '[' after array token starting here->\n%s",
        start);
  }
  Span name;
  if (readTagName(parser, name) == Step::kError) return Step::kError;
  parser.cursor = bracket + 1;
  uint32_t perRow = readCount(parser);
  const char* comma = platform::findChar(parser.cursor, parser.end, ',');
  if (comma == nullptr) {
    return fail(
        "\nError: Did not find ',' after first array count starting "
        "here->\n%s",
        parser.cursor);
  }
  parser.cursor = comma + 1;
  uint32_t rows = readCount(parser);
  const char* close = platform::findChar(parser.cursor, parser.end, '>');
  if (close == nullptr) {
    return fail("\nError: Did not find '>' after token starting here->\n%s",
                parser.cursor);
  }
  parser.cursor = close + 1;

  // The label current now names the rows, whatever labels they hold.
  char* arrayLabel = markedLabel(parser, session::kArrayLabelMark);
  ResponseNode* owner = last;
  ResponseNode* above = owner;
  for (uint32_t i = 0; i < rows; ++i) {
    ResponseNode* row = newNode(parser);
    above->child = row;
    above = row;
    const char* before = nextTag(parser);
    ResponseNode* rowLast = row;
    if (itemLoop(parser, rowLast, perRow) == Step::kError) return Step::kError;
    keepRowStructure(parser, *row);
    // A row that added nothing and did not move on will be followed by
    // identical empty rows; the count the server announced is not trusted.
    if (row->next == nullptr && parser.cursor == before) break;
  }
  ResponseNode* tail = newNode(parser);
  tail->value = arrayLabel;
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

struct StructuralTags {
  std::vector<StructuralTag> tags;
  // For each character after the '<', the tags that begin with it.
  uint32_t byFirstLetter[256];
};

const StructuralTags& structuralTags() {
  static const StructuralTags kTags = [] {
    StructuralTags made{
        {
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
            {std::string("<m:getResponse ") + emclient::kV1OperationTagEnd,
             wrapper},
            {"<ArrayOfString xsd:type=\"u:string[", array},
            {"<Category>", category},
            {"<LabelName xsd:type=\"u:string\">", label},
        },
        {}};
    for (std::size_t i = 0; i < made.tags.size(); ++i) {
      auto letter = static_cast<unsigned char>(made.tags[i].opening[1]);
      made.byFirstLetter[letter] |= uint32_t{1} << i;
    }
    return made;
  }();
  return kTags;
}

// Most elements are leaves: the letter after the '<' rules out nearly
// every structural tag before a whole comparison; the rest are compared in
// table order.
Handler handlerFor(const Parser& parser) {
  const StructuralTags& tags = structuralTags();
  uint32_t candidates =
      tags.byFirstLetter[static_cast<unsigned char>(parser.cursor[1])];
  std::size_t left = static_cast<std::size_t>(parser.end - parser.cursor);
  while (candidates != 0) {
    const StructuralTag& tag = tags.tags[__builtin_ctz(candidates)];
    candidates &= candidates - 1;
    if (tag.opening.size() <= left && parser.cursor[2] == tag.opening[2] &&
        std::memcmp(parser.cursor, tag.opening.data(), tag.opening.size()) ==
            0) {
      return tag.handler;
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

namespace {

// The room a parse of `length` bytes takes in its first chunk: a small
// answer fits whole; a large one fills chunks up to the arena's ceiling.
std::size_t firstChunk(std::size_t length) {
  return std::min(length + length / 2 + 256, session::kLargestArenaChunk);
}

int parseInto(session::CommandContext& context, const char* text,
              std::size_t length, ResponseNode* root, session::Arena arena) {
  Parser parser{context, text, text + length, 0, arena, nullptr, {}, false, {}};
  ResponseNode* last = root;
  int result = itemLoop(parser, last, kUnlimited) == Step::kError ? 1 : 0;
  // An answer with many labels replaces currentLabel once, with the last.
  if (parser.labelRead) {
    char*& current = context.session->work.currentLabel;
    session::release(current);
    current = session::copyText(parser.label.start, parser.label.length,
                                "quill_soap", __LINE__);
  }
  return result;
}

}  // namespace

int ParseResponse(session::CommandContext& context, const char* text,
                  ResponseNode* root) {
  std::size_t length = std::strlen(text);
  session::Arena arena{root, "quill_soap"};
  arena.chunkSize = firstChunk(length);
  return parseInto(context, text, length, root, arena);
}

// The root anchor is made with the first chunk behind it: a small answer
// takes one tracked block.
int ParseResponseText(session::CommandContext& context) {
  session::WorkArea& work = context.session->work;
  session::releaseTree(work.responseTree);
  const char* text = work.responseText != nullptr ? work.responseText : "";
  std::size_t length = std::strlen(text);
  std::size_t room = firstChunk(length);
  auto* root = new (session::allocateUnfilled(
      sizeof(ResponseNode) + room, "quill_soap", __LINE__)) ResponseNode{};
  work.responseTree = root;
  int result = parseInto(
      context, text, length, root,
      session::arenaInOwner(root, sizeof(ResponseNode), room, "quill_soap"));
  // The tree holds copies of everything it needs: the text would only
  // double what a large answer holds.
  session::release(work.responseText);
  work.responseText = nullptr;
  return result;
}

}  // namespace request
