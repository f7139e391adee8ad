#include "request/token_list.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "request/display.h"
#include "session/shown_text.h"
#include "session/tracked_memory.h"

namespace request {
namespace {

using shell::ObjectToken;

char* copyOf(const char* text) {
  return shell::copyText(text, std::strlen(text), "quill_support", __LINE__);
}

[[noreturn]] void stopOnEmptyName(const ObjectToken& token) {
  std::fputs(
      "\nError: Zero length name string found in object being added"
      "\nObject being added:",
      shell::errorStream());
  std::fprintf(shell::errorStream(), "\n\n     %08x  %08x  %2d\n>%s<\n>%s<",
               static_cast<unsigned>(reinterpret_cast<uintptr_t>(&token)),
               static_cast<unsigned>(reinterpret_cast<uintptr_t>(token.next)),
               token.kind, shell::shownText(token.name).c_str(),
               shell::shownText(token.id).c_str());
  shell::fatalStop();
}

}  // namespace

ObjectToken* FindToken(shell::CommandContext& context, ObjectKind kind,
                       const char* name) {
  for (ObjectToken* token = context.session->tokenList; token != nullptr;
       token = token->next) {
    if (token->kind == kind && std::strcmp(token->name, name) == 0) {
      return token;
    }
  }
  return nullptr;
}

bool HasTokenOfKind(shell::CommandContext& context, ObjectKind kind) {
  for (const ObjectToken* token = context.session->tokenList; token != nullptr;
       token = token->next) {
    if (token->kind == kind) return true;
  }
  return false;
}

void RemoveTokensOfKind(shell::CommandContext& context, ObjectKind kind) {
  ObjectToken** link = &context.session->tokenList;
  while (*link != nullptr) {
    ObjectToken* token = *link;
    if (kind == kAll || token->kind == kind) {
      *link = token->next;
      shell::release(token->name);
      shell::release(token->id);
      shell::release(token);
    } else {
      link = &token->next;
    }
  }
}

TokenBatch StartTokenBatch(shell::CommandContext& context, ObjectKind kind) {
  TokenBatch batch{&context, kind, &context.session->tokenList, 0, {}};
  for (; *batch.end != nullptr; batch.end = &(*batch.end)->next) {
    if ((*batch.end)->kind == kind) {
      batch.places[(*batch.end)->name].push_back(batch.count++);
    }
  }
  return batch;
}

// A renamed name is compared again with the tokens after the one it
// clashed with, exactly as a walk through the list in order would.
void AddToken(TokenBatch& batch, const char* name, const char* id) {
  auto* token = shell::trackedNew<ObjectToken>("quill_support", __LINE__);
  token->kind = batch.kind;
  token->name = copyOf(name);
  token->id = copyOf(id);
  if (name[0] == '\0') stopOnEmptyName(*token);

  uint32_t& counter =
      batch.context->session->work.duplicateCounters[batch.kind];
  std::string current = name;
  int64_t clashedAt = -1;
  for (;;) {
    auto named = batch.places.find(current);
    if (named == batch.places.end()) break;
    const std::vector<uint32_t>& places = named->second;
    auto later = std::upper_bound(
        places.begin(), places.end(), clashedAt,
        [](int64_t place, uint32_t candidate) { return place < candidate; });
    if (later == places.end()) break;
    clashedAt = *later;
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "{%u}", ++counter);
    current += suffix;
  }
  if (current != name) {
    shell::release(token->name);
    token->name = copyOf(current.c_str());
  }
  batch.places[current].push_back(batch.count++);
  *batch.end = token;
  batch.end = &token->next;
}

int LoadTokenList(shell::CommandContext& context, ObjectKind kind) {
  RemoveTokensOfKind(context, kind);
  const shell::ResponseNode* root = context.session->work.responseTree;
  if (root == nullptr) return 0;
  TokenBatch batch = StartTokenBatch(context, kind);
  for (const shell::ResponseNode* row = root->child; row != nullptr;
       row = row->child) {
    const char* name = nullptr;
    const char* id = nullptr;
    for (const shell::ResponseNode* node = row->next; node != nullptr;
         node = node->next) {
      if (node->name == nullptr) continue;
      if (std::strcmp(node->name, "Name") == 0 ||
          std::strcmp(node->name, "ElementName") == 0) {
        name = node->value;
      } else if (std::strcmp(node->name, "ID") == 0 ||
                 std::strcmp(node->name, "ElementID") == 0) {
        id = node->value;
      }
    }
    if (name == nullptr || id == nullptr) {
      std::fprintf(shell::errorStream(),
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
