// The reading end of a named pipe, for tests of what a program writes into
// a pipe planted at a name it writes.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <string>

namespace testing_support {

// Opened without waiting for a writer, so the writer is not held up and
// what it wrote can be seen afterwards.
class PipeReader {
 public:
  explicit PipeReader(const std::string& path)
      : descriptor_(open(path.c_str(), O_RDONLY | O_NONBLOCK)) {}
  ~PipeReader() {
    if (descriptor_ >= 0) close(descriptor_);
  }
  PipeReader(const PipeReader&) = delete;
  PipeReader& operator=(const PipeReader&) = delete;
  bool opened() const { return descriptor_ >= 0; }
  // Whatever has been written into the pipe so far.
  std::string take() {
    std::string text;
    char buffer[4096];
    ssize_t count = 0;
    while ((count = read(descriptor_, buffer, sizeof buffer)) > 0) {
      text.append(buffer, static_cast<std::size_t>(count));
    }
    return text;
  }

 private:
  int descriptor_;
};

}  // namespace testing_support
