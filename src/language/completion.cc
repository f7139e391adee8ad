#include "language/completion.h"

#include <algorithm>

#include "language/line_scanner.h"
#include "language/line_walk.h"

namespace language {
namespace {

constexpr uint32_t kNeverOffered = NODE_HIDDEN | NODE_DISABLED | NODE_UNMATCHED;
constexpr uint32_t kNumberTypes = NODE_DECIMAL | NODE_OCTAL | NODE_HEX;

// True when the parser, given `word` as a token against `list`, selects
// exactly `node`. Guards against offering something that would then be
// refused, such as a keyword the scan reports as ambiguous or a name that a
// keyword of its list swallows.
bool selects(const CommandNode* list, std::string_view word,
             const CommandNode* node) {
  session::CommandContext scratch{};
  scratch.cursor = word.data();
  scratch.remaining = static_cast<uint32_t>(word.size());
  LineCursor line(scratch);
  Token token{word.data(), static_cast<uint32_t>(word.size())};
  const CommandNode* match = nullptr;
  return matchInList(list, token, line, scratch, match) == session::ParseOk &&
         match == node;
}

bool typedInLowerCase(std::string_view word) {
  bool lower = false;
  for (char c : word) {
    if (c >= 'A' && c <= 'Z') return false;
    if (c >= 'a' && c <= 'z') lower = true;
  }
  return lower;
}

std::string spell(const char* keyword, bool lowerCase) {
  std::string text(keyword);
  if (lowerCase) {
    for (char& c : text) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return text;
}

// Whether a line can carry a name: not at all (a double quote or a bracket
// inside a name that must be quoted, a leading blank or '?', characters
// outside the accepted set), as one plain token, or only in double quotes
// (a blank or '=' inside).
enum class Spelling { kNone, kPlain, kQuoted };

Spelling spelling(std::string_view name) {
  if (name.empty() || name[0] == '?' || name[0] == ' ') return Spelling::kNone;
  bool plain = name[0] != '(' && name[0] != '"';
  for (char c : name) {
    if (!isAccepted(c)) return Spelling::kNone;
    if (c == ' ' || c == '=') plain = false;
  }
  if (plain) return Spelling::kPlain;
  if (name.find_first_of("\"()") != std::string_view::npos) {
    return Spelling::kNone;
  }
  return Spelling::kQuoted;
}

void addCandidate(Completion& completion, std::string text, char suffix,
                  std::string shown) {
  for (const Candidate& known : completion.candidates) {
    if (known.text == text) return;
  }
  completion.candidates.push_back(
      Candidate{std::move(text), suffix, std::move(shown)});
}

bool extendedByAnother(const std::vector<std::string>& names,
                       const std::string& name) {
  return std::any_of(names.begin(), names.end(), [&](const std::string& other) {
    return other.size() > name.size() && other.starts_with(name);
  });
}

// Names are completed one path component at a time: a candidate runs to the
// next backslash after what is typed, or to the end of the name, where the
// quote it needs is closed. A name that longer names continue stays open,
// as a folder does for what it holds. The word may be a double quote
// opened by hand; a name that needs one gets it.
void offerNames(const CommandNode* list, const CommandNode& valueNode,
                std::string_view word, std::span<const CommandNode* const> path,
                const NameSource& source, Completion& completion) {
  if (!source) return;
  bool quoted = !word.empty() && word[0] == '"';
  std::string_view typed = word;
  if (quoted) {
    // The parser skips the blanks after an opening quote.
    typed.remove_prefix(1);
    typed.remove_prefix(std::min(typed.find_first_not_of(' '), typed.size()));
  }
  std::vector<std::string> names;
  source(path, valueNode, names);
  std::erase_if(names, [&](const std::string& name) {
    return !name.starts_with(typed) || spelling(name) == Spelling::kNone ||
           (quoted && name.find_first_of("\"()") != std::string::npos) ||
           !selects(list, name, &valueNode);
  });
  std::size_t shownFrom = typed.rfind('\\') + 1;  // npos + 1 is 0
  struct Offer {
    std::string part;
    bool whole;
    bool quote;     // the part needs quotes
    bool quotable;  // the name reads as one token in quotes
  };
  std::vector<Offer> offers;
  for (const std::string& name : names) {
    // A leading backslash is not a component of its own.
    std::size_t cut = name.find('\\', std::max<std::size_t>(typed.size(), 1));
    bool whole = cut == std::string::npos || cut + 1 == name.size();
    if (whole && extendedByAnother(names, name)) continue;
    std::string part = whole ? name : name.substr(0, cut + 1);
    bool quote = quoted || part.find_first_of(" =") != std::string::npos;
    bool quotable = name.find_first_of("\"()") == std::string::npos;
    offers.push_back(Offer{std::move(part), whole, quote, quotable});
  }
  // One candidate that needs quotes puts every one in quotes, as long as
  // each reads the same in them: what they share then begins with the
  // quote, so the word can be extended to it and still be one name.
  bool quoteAll =
      std::any_of(offers.begin(), offers.end(),
                  [](const Offer& offer) { return offer.quote; }) &&
      std::all_of(offers.begin(), offers.end(),
                  [](const Offer& offer) { return offer.quotable; });
  for (const Offer& offer : offers) {
    std::string text = offer.quote || quoteAll
                           ? "\"" + offer.part + (offer.whole ? "\"" : "")
                           : offer.part;
    addCandidate(completion, std::move(text), offer.whole ? ' ' : '\0',
                 offer.part.substr(shownFrom));
  }
}

void offerList(const CommandNode* list, std::string_view word,
               std::span<const CommandNode* const> path,
               const NameSource& source, Completion& completion) {
  if (!word.empty() && word[0] == '?') return;
  bool lowerCase = typedInLowerCase(word);
  Token token{word.data(), static_cast<uint32_t>(word.size())};
  for (const CommandNode* node = list;; ++node) {
    if ((node->flags & kNeverOffered) == 0) {
      if (node->flags & NODE_VALUE) {
        // Names stand only where text does, not where a number must.
        if ((node->flags & kNumberTypes) == 0) {
          offerNames(list, *node, word, path, source, completion);
        }
      } else {
        Fit fit = compareKeyword(node->text, token);
        bool fits = fit == Fit::kWhole || (fit == Fit::kPrefix &&
                                           (node->flags & NODE_FULL_WORD) == 0);
        if (fits && selects(list, node->text, node)) {
          std::string text = spell(node->text, lowerCase);
          addCandidate(completion, text,
                       (node->flags & NODE_EQUALS) ? '=' : ' ', text);
        }
      }
    }
    if (node->flags & NODE_LAST) break;
  }
}

}  // namespace

Completion complete(const CommandNode* root, std::string_view text,
                    const NameSource& names) {
  LineWalk walk = walkLine(root, text);
  Completion completion{walk.wordStart, {}};
  if (walk.end == WalkEnd::kEquals) {
    addCandidate(completion, "=", '\0', "=");
  } else if (walk.end == WalkEnd::kWord) {
    offerList(walk.list, text.substr(walk.wordStart), walk.path, names,
              completion);
  }
  return completion;
}

std::string commonPrefix(const std::vector<Candidate>& candidates) {
  if (candidates.empty()) return {};
  std::string prefix = candidates.front().text;
  for (const Candidate& candidate : candidates) {
    std::size_t n = 0;
    while (n < prefix.size() && n < candidate.text.size() &&
           prefix[n] == candidate.text[n]) {
      ++n;
    }
    prefix.resize(n);
  }
  return prefix;
}

std::string formatCandidates(const std::vector<Candidate>& candidates,
                             int width) {
  std::size_t longest = 0;
  for (const Candidate& candidate : candidates) {
    longest = std::max(longest, candidate.shown.size());
  }
  std::size_t column = longest + 2;
  std::size_t perRow = std::max<std::size_t>(
      1, static_cast<std::size_t>(std::max(width, 1)) / column);
  std::string rows;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    const std::string& text = candidates[i].shown;
    rows += text;
    bool rowEnds = (i + 1) % perRow == 0 || i + 1 == candidates.size();
    rows +=
        rowEnds ? std::string("\n") : std::string(column - text.size(), ' ');
  }
  return rows;
}

}  // namespace language
