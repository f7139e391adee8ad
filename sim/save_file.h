// The --save file. It is checked when the simulator starts, so a place it
// cannot write is known before a rehearsal rather than after it, and it is
// written whole or not at all when the simulator stops, under the rule of
// written_file.h. It holds every user's password: only its owner may read
// it.
#pragma once

#include <string>

namespace sim {

// Whether the state can be saved to `path`. False with `error` saying why.
bool CheckSaveFile(const std::string& path, std::string& error);

// Writes `text` to a new file with no name yet, syncs it and gives it the
// name, replacing the old file (whose other hard links keep the old text),
// so any failure, even a killed process, leaves the old file as it was. A
// character device or the user's pipe is written in place. False with
// `error` saying why.
bool SaveFile(const std::string& path, const std::string& text,
              std::string& error);

}  // namespace sim
