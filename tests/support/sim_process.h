// Runs the element-manager simulator in the background, on a loopback
// address of the test's own, for as long as the object lives.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace testing_support {

class SimProcess {
 public:
  // Starts `path` with --address and `arguments`, and waits up to ten
  // seconds for the line saying it listens.
  SimProcess(const std::string& path, const std::string& address,
             const std::vector<std::string>& arguments);
  // Stops it with SIGTERM and waits for it to end.
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  bool listening() const { return listening_; }
  // What it printed before it listened, or why it did not.
  const std::string& banner() const { return banner_; }

 private:
  pid_t child_ = -1;
  int output_ = -1;
  bool listening_ = false;
  std::string banner_;
};

}  // namespace testing_support
