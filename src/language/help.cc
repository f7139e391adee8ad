#include "language/help.h"

#include <cstdio>
#include <initializer_list>

namespace language {
namespace {

struct ValueDescription {
  uint32_t typeBit;
  bool list;
  const char* text;    // after " = " in a value help
  const char* answer;  // the answer to '?' in place of the value itself
};

// Looked up by the first type bit set in this order; the hexadecimal list
// answer has no closing parenthesis.
constexpr ValueDescription kValueDescriptions[] = {
    {NODE_STRING, false, "(string enclosed in quotes)",
     "\n  The only option is: (string enclosed in quotes)"},
    {NODE_HEX, true, "(hexadecimal value, hexadecimal value,...)",
     "\n  The only option is: (hexadecimal value, hexadecimal value,..."},
    {NODE_HEX, false, "(hexadecimal value)",
     "\n  The only option is: (hexadecimal value)"},
    {NODE_OCTAL, true, "(octal value, octal value,...)",
     "\n  The only option is: (octal value, octal value,...)"},
    {NODE_OCTAL, false, "(octal value)",
     "\n  The only option is: (octal value)"},
    {NODE_DECIMAL, true, "(decimal value, decimal value,...)",
     "\n  The only option is: (decimal value, decimal value,...)"},
    {NODE_DECIMAL, false, "(decimal value)",
     "\n  The only option is: (decimal value)"},
};

const ValueDescription* describe(const CommandNode& node) {
  for (uint32_t bit : {NODE_STRING, NODE_HEX, NODE_OCTAL, NODE_DECIMAL}) {
    if ((node.flags & bit) == 0) continue;
    bool list = bit != NODE_STRING && (node.flags & NODE_LIST) != 0;
    for (const ValueDescription& entry : kValueDescriptions) {
      if (entry.typeBit == bit && entry.list == list) return &entry;
    }
  }
  return nullptr;
}

constexpr char kHelpText[] =
    "\n"
    "Command syntax help is available at any point within a command by\n"
    "typing a '?'\n"
    "\n"
    "For example:\n"
    "\n"
    "Tollan> ADD VDISK Vesper ?\n"
    "\n"
    "  The options are:\n"
    "    COMMENT\n"
    "    DISK_GROUP\n"
    "    MIRRORED_WRITEBACK\n"
    "    NOMIRRORED_WRITEBACK\n"
    "    OS_UNIT_ID\n"
    "    PREFERRED_PATH\n"
    "    NOPREFERRED_PATH\n"
    "    READ_CACHE\n"
    "    NOREAD_CACHE\n"
    "    REDUNDANCY\n"
    "    SIZE\n"
    "    WORLD_WIDE_LUN_NAME\n"
    "    WRITE_PROTECT\n"
    "    NOWRITE_PROTECT\n"
    "\n"
    "Arguments that require keywords may also be queried, for example:\n"
    "\n"
    "Tollan> ADD VDISK Morrow REDUNDANCY=?\n"
    "\n"
    "  The options are:\n"
    "    VRAID0\n"
    "    VRAID1\n"
    "    VRAID5\n";

}  // namespace

session::ParseStatus listHelp(const CommandNode* list) {
  // The heading counts every node of the list, hidden ones included.
  std::fputs((list[0].flags & NODE_LAST) ? "\n  The only option is:"
                                         : "\n  The options are:",
             session::outputStream);
  for (const CommandNode* node = list;; ++node) {
    if ((node->flags & (NODE_HIDDEN | NODE_DISABLED)) == 0) {
      std::fprintf(session::outputStream, "\n    %s", node->text);
    }
    if (node->flags & NODE_LAST) break;
  }
  return session::ParseHelpShown;
}

session::ParseStatus valueHelp(const CommandNode& node) {
  const ValueDescription* description = describe(node);
  std::fprintf(session::outputStream, " = %s",
               description != nullptr ? description->text
                                      : "[get help at a lower level]");
  return session::ParseHelpShown;
}

session::ParseStatus typedValueHelp(const CommandNode& node) {
  const ValueDescription* description = describe(node);
  if (description != nullptr) {
    std::fputs(description->answer, session::outputStream);
  }
  return session::ParseHelpShown;
}

session::ParseStatus noMoreHelp() {
  std::fputs("\n  This command has no additional keywords or parameters",
             session::outputStream);
  return session::ParseHelpShown;
}

int printHelpText(session::CommandContext&) {
  std::fputs(kHelpText, session::outputStream);
  return 0;
}

}  // namespace language
