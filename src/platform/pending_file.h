// New content for a file that reaches the file's name only complete: it is
// written to a temporary file beside the final one and renamed over it
// when committed, so a failure, a full disk or an interruption leaves the
// name as it was. Whatever does not commit (a failure, an early return,
// the object's end) removes the temporary file.
#pragma once

#include <cstdio>
#include <string>

namespace platform {

enum class FileAccess {
  kPrivate,  // readable and writable by the owner only
  kShared,   // the mode of the file replaced, else the one new files get
};

class PendingFile {
 public:
  PendingFile() = default;
  ~PendingFile() { discard(); }
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // Opens new content for `name` for writing and reading, under the rule
  // of written_files.h. A device or pipe that the name leads to is opened
  // in place. False with errno when refused or not opened.
  bool open(const char* name, FileAccess access);

  std::FILE* stream() const { return stream_; }

  // True when the content goes straight to a device or pipe: there is no
  // temporary file and nothing to rename.
  bool direct() const { return stream_ != nullptr && temporary_.empty(); }

  // Writes the content out, syncs it and renames it into place; closes in
  // every case. False with errno, the name then left as it was.
  bool commit();

  // Closes without putting anything in place.
  void discard();

 private:
  std::FILE* stream_ = nullptr;
  std::string temporary_;  // empty when writing in place
  std::string target_;
};

}  // namespace platform
