// The token list: the objects the server reported, by kind, with their
// names and identifiers. It lives in the session across commands; each
// kind's part is replaced whenever that kind is read again.
#pragma once

#include <cstdint>
#include <vector>

#include "request/object_kinds.h"
#include "session/session.h"
#include "session/tracked_arena.h"

namespace request {

// The first token of the kind whose name equals `name` exactly, or nullptr.
session::ObjectToken* FindToken(session::CommandContext& context,
                                ObjectKind kind, const char* name);

bool HasTokenOfKind(session::CommandContext& context, ObjectKind kind);

// Removes and releases every token of the kind; kAll removes every token.
void RemoveTokensOfKind(session::CommandContext& context, ObjectKind kind);

// Tokens of one kind being appended: the kind's tokens in list order with
// an index of their names, the end of the list, and where the tokens' memory
// comes from, so that neither a duplicate check nor the append walks the
// list, and the tokens cost a few tracked blocks however many they are.
struct TokenBatch {
  session::CommandContext* context;
  ObjectKind kind;
  session::ObjectToken** end;
  session::Arena store;  // the records and their texts
  std::vector<session::ObjectToken*> inOrder;
  // Open addressing over the names: a hash and an index into inOrder + 1
  // (0: an empty slot); at most two thirds full.
  struct Slot {
    uint32_t hash;
    uint32_t place;
  };
  std::vector<Slot> slots;
};

// Indexes the kind's tokens now in the list; `expected` tokens are about to
// be added.
TokenBatch StartTokenBatch(session::CommandContext& context, ObjectKind kind,
                           std::size_t expected = 0);

// Appends a token with copies of name and id. A name that a token of the
// kind already has gets a suffix from the command's duplicate counter of
// the kind ("A{1}", "A{2}"), checked against every later token again. An
// empty name prints the token and ends the program through fatalStop().
void AddToken(TokenBatch& batch, const char* name, const char* id);

// Replaces the kind's tokens by the rows of the list answer in the work
// area's responseTree (Name or ElementName, ID or ElementID in each row).
// A row without both prints why and the whole answer, and fails; the rows
// before it stay.
int LoadTokenList(session::CommandContext& context, ObjectKind kind);

}  // namespace request
