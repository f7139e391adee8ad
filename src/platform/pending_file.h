// New content for a file that reaches the file's name only complete: it is
// written to a file with no name yet (or, where the file system has no such
// files, to a temporary file beside the final one) and given the name when
// committed, so a failure, a full disk or an interruption leaves the name
// as it was, and even a killed process leaves nothing behind. Whatever does
// not commit (a failure, an early return, the object's end) is dropped.
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
  // of written_files.h. A character device or the user's pipe that the
  // name leads to is opened in place; a regular file is replaced, never
  // written, so its other hard links keep the old content. False with
  // errno when refused or not opened.
  bool open(const char* name, FileAccess access);

  std::FILE* stream() const { return stream_; }

  // True when the content goes straight to a device or pipe: there is no
  // new file and nothing to put in place.
  bool direct() const { return stream_ != nullptr && target_.empty(); }

  // Writes the content out, syncs it and puts it in place under the name;
  // closes in every case. False with errno, the name then left as it was.
  bool commit();

  // Closes without putting anything in place.
  void discard();

 private:
  std::FILE* stream_ = nullptr;
  std::string target_;     // empty when writing in place
  std::string temporary_;  // the named temporary file, when one was needed
};

}  // namespace platform
