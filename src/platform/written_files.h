// The rule for every file the program creates or rewrites, so that nobody
// else can steer what it writes or where: a symbolic link at the name is
// followed only when it belongs to the user (or to the superuser, who needs
// no link to write anywhere), a regular file of another user is never
// written, and a device or pipe is written in place as it stands.
#pragma once

#include <cstdio>
#include <string>

namespace platform {

// Reasons beside the system's error numbers, left in errno by the
// functions below; errorText() knows them.
inline constexpr int kForeignLink = 0x7001;  // a link of another user
inline constexpr int kForeignFile = 0x7002;  // a file of another user

enum class TargetKind {
  kMissing,  // nothing there yet: the file is created at `path`
  kRegular,  // a regular file of the user's
  kSpecial,  // a device, pipe or socket: written in place
};

// Where writing to a name leads once the user's own links are followed.
struct WriteTarget {
  std::string path;
  TargetKind kind;
};

// Follows the links at `name` under the rule. False with errno on a
// refusal (kForeignLink, kForeignFile, EISDIR, ELOOP) or a failure.
bool findWriteTarget(const char* name, WriteTarget& target);

// Opens a target that findWriteTarget() found, with open(2) `flags` and
// the `mode` of a new file. What the descriptor holds is checked again, so
// a file of another user put there in between is refused as well. A
// descriptor, or -1 with errno.
int openWriteTarget(const WriteTarget& target, int flags, unsigned mode);

// Whether anything has the name itself; a dangling link counts.
bool nameExists(const char* name);

// Opens for appending and reading under the rule, creating the file
// readable by its owner only; a regular file that existed is made its
// owner's only too. nullptr with errno when refused or not opened.
std::FILE* openPrivateForAppending(const char* name);

// Renames `name` to `rotated`, replacing a file of the user's there. A
// link or file of another user at `rotated` is refused. False with errno.
bool rotateFile(const char* name, const char* rotated);

// Removes the name itself (a link, never what it leads to), unless it
// belongs to another user. True when nothing has the name afterwards.
bool removeOwnName(const char* name);

// A file trusted with a secret: a regular file at the name itself (no
// link, even the user's), owned by the user and closed to group and
// others. nullptr with errno when absent (ENOENT) or not trusted.
std::FILE* openOwnFileForReading(const char* name);

// Empties the user's own file at the name (no link, even the user's) and
// opens it for writing, creating it when absent; it is made readable by
// its owner only. nullptr with errno when refused or not opened.
std::FILE* openOwnFileForWriting(const char* name);

}  // namespace platform
