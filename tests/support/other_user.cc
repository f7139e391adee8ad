#include "support/other_user.h"

#include <sys/stat.h>
#include <unistd.h>

namespace testing_support {

bool canActAsOtherUser() { return geteuid() == 0; }

ProgramRun runAsOtherUser(const std::string& program, ProgramOptions options) {
  const std::string id = std::to_string(kOtherUser);
  options.arguments.insert(options.arguments.begin(),
                           {"-c",
                            "exec setpriv --reuid=" + id + " --regid=" + id +
                                " --clear-groups -- \"$0\" \"$@\"",
                            program});
  return runProgram("/bin/sh", options);
}

void openToEveryone(const std::string& directory) {
  chmod(directory.c_str(), 0777);
}

bool giveToOtherUser(const std::string& path) {
  return lchown(path.c_str(), kOtherUser, kOtherUser) == 0;
}

}  // namespace testing_support
