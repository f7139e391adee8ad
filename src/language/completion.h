// TAB completion: what may stand at the cursor, computed from the command
// graph by the parser's own tokens and matching rules. It knows nothing of
// the terminal, so it can be tested on its own.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "language/command_node.h"

namespace language {

// Supplies the object names that a value position accepts, such as the
// virtual disks the session already knows. `path` holds the nodes the line
// has matched so far, in line order, so the source can tell which kind of
// object the position names; `valueNode` is the value node of the list at
// the cursor. Names are appended to `names` as they are spelt (case
// matters). It is not asked where the value must be a number. An empty
// NameSource offers nothing at value positions.
using NameSource = std::function<void(std::span<const CommandNode* const> path,
                                      const CommandNode& valueNode,
                                      std::vector<std::string>& names)>;

struct Candidate {
  std::string text;   // as it goes into the line (quoted when it must be)
  char suffix;        // typed after a unique completion: ' ', '=' or '\0'
  std::string shown;  // as listed: a keyword whole, a name from the path
                      // component being typed on, without quotes
};

struct Completion {
  std::size_t wordStart;              // offset of the word being completed
  std::vector<Candidate> candidates;  // in list order; empty: nothing fits
};

// The candidates for the word that ends at the end of `text`, the line up
// to the cursor. Hidden, disabled and unmatched keywords are never offered,
// a full-word keyword only when the word already spells it, and only what
// the parser would select when written in full. Keywords come in capitals,
// or in lower case when the word is typed in lower case. After a keyword
// that requires '=' and a blank, the only candidate is "=". Names complete
// one path component (up to and with the next backslash) at a time, typed
// with or without an opening double quote: a name with a blank or '=' is
// quoted, and its quote closed once the name is whole.
Completion complete(const CommandNode* root, std::string_view text,
                    const NameSource& names);

// The longest beginning shared by every candidate's text.
std::string commonPrefix(const std::vector<Candidate>& candidates);

// The candidates as shown, in rows of columns that fit `width`
// characters, each row ending with a line feed.
std::string formatCandidates(const std::vector<Candidate>& candidates,
                             int width);

}  // namespace language
