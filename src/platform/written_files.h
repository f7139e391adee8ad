// The rule for every file the program creates or rewrites, so that nobody
// else can steer what it writes or where: a symbolic link at the name is
// followed only when it belongs to the user (or to the superuser, who needs
// no link to write anywhere); besides a new file or the user's own regular
// one, only a character device (the null device, a terminal) and the
// user's own pipe are written, in place; anything else of another user is
// refused. What is written is decided on the opened descriptor, which must
// hold what the check saw, so nothing put at the name in between is
// written. A regular file with other hard links is never written in place.
#pragma once

#include <cstdio>
#include <string>

namespace platform {

// Reasons beside the system's error numbers, left in errno by the
// functions below; errorText() knows them.
inline constexpr int kForeignLink = 0x7001;     // a link of another user
inline constexpr int kForeignFile = 0x7002;     // a file of another user
inline constexpr int kLinkedFile = 0x7003;      // a file with other hard links
inline constexpr int kUnwritableKind = 0x7004;  // a socket or block device
inline constexpr int kChangedFile = 0x7005;     // replaced while being opened

// Whether `error` is one of the reasons above: the rule refused the name,
// as opposed to the system failing to open it.
bool isRefusal(int error);

enum class TargetKind {
  kMissing,  // nothing there yet: the file is created at `path`
  kRegular,  // a regular file of the user's
  kSpecial,  // a character device or the user's pipe: written in place
};

// Where writing to a name leads once the user's own links are followed,
// and what the check found there.
struct WriteTarget {
  std::string path;
  TargetKind kind;
  // Reached through a link only the kernel resolves (/dev/stdout leads to
  // one): a descriptor the process was given, written whatever it is.
  bool givenDescriptor = false;
  unsigned long long device = 0;  // identity and mode of what was seen
  unsigned long long inode = 0;
  unsigned mode = 0;
};

// Follows the links at `name` under the rule. False with errno on a
// refusal (isRefusal(), EISDIR, ELOOP) or a failure.
bool findWriteTarget(const char* name, WriteTarget& target);

// Opens a target that findWriteTarget() found, with open(2) `flags` (only
// a missing target is created) and the `mode` of a new file. The open
// neither blocks on a pipe nor follows a link put at the name since; the
// descriptor is kept only when it holds what the check saw and the rule
// allows it to be written in place. A descriptor, or -1 with errno.
int openWriteTarget(const WriteTarget& target, int flags, unsigned mode);

// Called with the path between the check of a name and its open, so tests
// can change what the name holds in between; nullptr for none.
using CheckedNameHook = void (*)(const char* path);
void installCheckedNameHook(CheckedNameHook hook);

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
// link, even the user's), owned by the user, with no other hard link and
// closed to group and others. nullptr with errno when absent (ENOENT) or
// not trusted.
std::FILE* openOwnFileForReading(const char* name);

// Empties the user's own file at the name (no link, even the user's, nor
// a file with other hard links) and opens it for writing, creating it when
// absent; it is made readable by its owner only. nullptr with errno when
// refused or not opened.
std::FILE* openOwnFileForWriting(const char* name);

}  // namespace platform
