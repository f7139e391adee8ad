#include "request/token_list.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "request/display.h"
#include "session/fatal_stop.h"
#include "session/shown_text.h"
#include "session/tracked_memory.h"

namespace request {
namespace {

using session::ObjectToken;

[[noreturn]] void stopOnEmptyName(const ObjectToken& token) {
  std::fputs(
      "\nError: Zero length name string found in object being added"
      "\nObject being added:",
      session::errorStream());
  std::fprintf(session::errorStream(), "\n\n     %08x  %08x  %2d\n>%s<\n>%s<",
               static_cast<unsigned>(reinterpret_cast<uintptr_t>(&token)),
               static_cast<unsigned>(reinterpret_cast<uintptr_t>(token.next)),
               token.kind, session::shownText(token.name).c_str(),
               session::shownText(token.id).c_str());
  session::fatalStop();
}

// A row's names seldom share a length with the wanted ones, which is
// compared first.
bool isOneOf(std::string_view name, std::string_view one,
             std::string_view other) {
  return name == one || name == other;
}

uint32_t nameHash(std::string_view name) {
  uint32_t hash = 2166136261u;
  for (char c : name) {
    hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  }
  return hash;
}

std::size_t homeSlot(const TokenBatch& batch, uint32_t hash) {
  return static_cast<std::size_t>(
      (static_cast<uint64_t>(hash) * batch.slots.size()) >> 32);
}

void indexToken(TokenBatch& batch, uint32_t hash, uint32_t place) {
  std::size_t i = homeSlot(batch, hash);
  while (batch.slots[i].place != 0) {
    if (++i == batch.slots.size()) i = 0;
  }
  batch.slots[i] = TokenBatch::Slot{hash, place + 1};
}

// Room for `count` tokens with the table at most two thirds full; a table
// that has to grow doubles, so adding one by one stays cheap.
void reserveSlots(TokenBatch& batch, std::size_t count) {
  std::size_t wanted = count + count / 2 + 16;
  if (wanted <= batch.slots.size()) return;
  if (!batch.slots.empty()) wanted *= 2;
  batch.slots.assign(wanted, TokenBatch::Slot{});
  for (uint32_t place = 0; place < batch.inOrder.size(); ++place) {
    indexToken(batch, nameHash(batch.inOrder[place]->name), place);
  }
}

// The first place after `after` that holds a token named `name`, or -1.
int64_t placeOfName(const TokenBatch& batch, std::string_view name,
                    int64_t after) {
  uint32_t hash = nameHash(name);
  int64_t found = -1;
  for (std::size_t i = homeSlot(batch, hash); batch.slots[i].place != 0;
       i = i + 1 == batch.slots.size() ? 0 : i + 1) {
    const TokenBatch::Slot& slot = batch.slots[i];
    int64_t place = static_cast<int64_t>(slot.place) - 1;
    if (slot.hash == hash && place > after && (found < 0 || place < found) &&
        batch.inOrder[slot.place - 1]->name == name) {
      found = place;
    }
  }
  return found;
}

// The arena of the kind's tokens: its owner is made when the kind gets its
// first tokens, with room behind it for `expected` of them: a token takes
// its record, a name and an identifier, which servers make up to 40
// characters long.
session::Arena tokenStore(session::CommandContext& context, ObjectKind kind,
                          std::size_t expected) {
  void*& store = context.session->tokenStores[kind];
  constexpr std::size_t kTypicalTexts = 24 + 48;
  std::size_t room =
      std::min(expected * (sizeof(ObjectToken) + kTypicalTexts) + 64,
               session::kLargestArenaChunk);
  if (store != nullptr) {
    session::Arena arena{store, "quill_support"};
    arena.chunkSize = room;
    return arena;
  }
  store = session::allocateUnfilled(8 + room, "quill_support", __LINE__);
  return session::arenaInOwner(store, 8, room, "quill_support");
}

}  // namespace

ObjectToken* FindToken(session::CommandContext& context, ObjectKind kind,
                       const char* name) {
  for (ObjectToken* token = context.session->tokenList; token != nullptr;
       token = token->next) {
    if (token->kind == kind && std::strcmp(token->name, name) == 0) {
      return token;
    }
  }
  return nullptr;
}

bool HasTokenOfKind(session::CommandContext& context, ObjectKind kind) {
  for (const ObjectToken* token = context.session->tokenList; token != nullptr;
       token = token->next) {
    if (token->kind == kind) return true;
  }
  return false;
}

// A kind's tokens are released together, with the block that owns them.
void RemoveTokensOfKind(session::CommandContext& context, ObjectKind kind) {
  session::SessionState& session = *context.session;
  ObjectToken** link = &session.tokenList;
  while (*link != nullptr) {
    ObjectToken* token = *link;
    if (kind == kAll || token->kind == kind) {
      *link = token->next;
    } else {
      link = &token->next;
    }
  }
  for (int k = 0; k < session::kObjectKindCount; ++k) {
    if (kind == kAll || k == kind) {
      session::release(session.tokenStores[k]);
      session.tokenStores[k] = nullptr;
    }
  }
}

TokenBatch StartTokenBatch(session::CommandContext& context, ObjectKind kind,
                           std::size_t expected) {
  TokenBatch batch{&context,
                   kind,
                   &context.session->tokenList,
                   tokenStore(context, kind, expected),
                   {},
                   {}};
  for (; *batch.end != nullptr; batch.end = &(*batch.end)->next) {
    if ((*batch.end)->kind == kind) batch.inOrder.push_back(*batch.end);
  }
  batch.inOrder.reserve(batch.inOrder.size() + expected);
  reserveSlots(batch, batch.inOrder.size() + expected);
  return batch;
}

// A renamed name is compared again with the tokens after the one it
// clashed with, exactly as a walk through the list in order would.
void AddToken(TokenBatch& batch, const char* name, const char* id) {
  auto* token = static_cast<ObjectToken*>(
      session::arenaAllocate(batch.store, sizeof(ObjectToken)));
  token->kind = batch.kind;
  token->name = session::arenaText(batch.store, name, std::strlen(name));
  token->id = session::arenaText(batch.store, id, std::strlen(id));
  if (name[0] == '\0') stopOnEmptyName(*token);

  int64_t clashedAt = placeOfName(batch, name, -1);
  if (clashedAt >= 0) {
    uint32_t& counter =
        batch.context->session->work.duplicateCounters[batch.kind];
    std::string current = name;
    while (clashedAt >= 0) {
      char suffix[16];
      std::snprintf(suffix, sizeof suffix, "{%u}", ++counter);
      current += suffix;
      clashedAt = placeOfName(batch, current, clashedAt);
    }
    token->name =
        session::arenaText(batch.store, current.data(), current.size());
  }
  reserveSlots(batch, batch.inOrder.size() + 1);
  indexToken(batch, nameHash(token->name),
             static_cast<uint32_t>(batch.inOrder.size()));
  batch.inOrder.push_back(token);
  *batch.end = token;
  batch.end = &token->next;
}

int LoadTokenList(session::CommandContext& context, ObjectKind kind) {
  RemoveTokensOfKind(context, kind);
  const session::ResponseNode* root = context.session->work.responseTree;
  if (root == nullptr) return 0;
  std::size_t rows = 0;
  for (const session::ResponseNode* row = root->child; row != nullptr;
       row = row->child) {
    ++rows;
  }
  TokenBatch batch = StartTokenBatch(context, kind, rows);
  for (const session::ResponseNode* row = root->child; row != nullptr;
       row = row->child) {
    const char* name = nullptr;
    const char* id = nullptr;
    for (const session::ResponseNode* node = row->next; node != nullptr;
         node = node->next) {
      if (node->name == nullptr) continue;
      if (isOneOf(node->name, "Name", "ElementName")) {
        name = node->value;
      } else if (isOneOf(node->name, "ID", "ElementID")) {
        id = node->value;
      }
    }
    if (name == nullptr || id == nullptr) {
      std::fprintf(session::errorStream(),
                   "\nError: Name \"%s\" and/or Id \"%s\" not found in token "
                   "list",
                   "Name", "ID");
      DisplayResponse(context, root);
      return 1;
    }
    AddToken(batch, name, id);
  }
  return 0;
}

}  // namespace request
