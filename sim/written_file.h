// The rule for the files the simulator writes (--save, --log), so that no
// other user of the machine can steer them: a symbolic link is followed
// only when it belongs to the user or to root; besides a new file or the
// user's own regular one, only a character device (/dev/null, a terminal)
// and the user's own pipe are written, in place; anything else of another
// user is refused. What is written in place is decided on the opened
// descriptor, which must hold what the check saw, and a regular file with
// other hard links is never written in place.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <string>

namespace sim {

struct WriteTarget {
  enum class Kind { kMissing, kRegular, kSpecial };
  std::string path;  // where the user's own links lead
  Kind kind = Kind::kMissing;
  // Reached through a link only the kernel resolves (/dev/stdout leads to
  // one): a descriptor the process was given, written whatever it is.
  bool given = false;
  dev_t device = 0;  // what the check saw there
  ino_t inode = 0;
};

// Follows the links at `name` under the rule. False with `error` saying
// why ("cannot write NAME: REASON").
bool ResolveWriteTarget(const std::string& name, WriteTarget& target,
                        std::string& error);

// Opens what ResolveWriteTarget() found in place with open(2) `flags`,
// creating it (with `mode`) only when it was missing. It never waits for
// a pipe's reader nor follows a link put at the name since, and keeps the
// descriptor only when it holds what the check saw and the rule allows it.
// A blocking descriptor, or -1 with `error` set.
int OpenWriteTarget(const std::string& name, const WriteTarget& target,
                    int flags, mode_t mode, std::string& error);

// Called with the path between the check of a name and its open, so tests
// can change what the name holds in between; nullptr for none.
void SetCheckedNameHook(void (*hook)(const std::string& path));

// Opens `name` for appending under the rule; a new file gets the mode new
// files get. nullptr with `error` set.
std::FILE* OpenForAppending(const std::string& name, std::string& error);

// "cannot write NAME: REASON", with errno's text when `reason` is empty.
bool WriteFailed(std::string& error, const std::string& name,
                 const char* reason = nullptr);

}  // namespace sim
