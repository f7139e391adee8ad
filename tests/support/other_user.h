// A second user, for tests of what one user's files may do to another's:
// "nobody". Only the superuser can act as that user; tests that need it
// skip, saying why, when run by anyone else.
#pragma once

#include <sys/types.h>

#include <string>

#include "support/run_program.h"

namespace testing_support {

inline constexpr uid_t kOtherUser = 65534;

// Whether this process may act as the other user.
bool canActAsOtherUser();

// The reason a test gives when it cannot.
inline constexpr char kNeedsSuperuser[] =
    "needs the superuser to act as a second user";

// Runs `program` (found on PATH) like runProgram(), as the other user with
// no supplementary groups.
ProgramRun runAsOtherUser(const std::string& program, ProgramOptions options);

// Opens `directory` to every user, so the other user may add names to it.
void openToEveryone(const std::string& directory);

// Gives the file or link at `path` itself to the other user.
bool giveToOtherUser(const std::string& path);

}  // namespace testing_support
