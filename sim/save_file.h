// The --save file. It is checked when the simulator starts, so a place it
// cannot write is known before a rehearsal rather than after it, and it is
// written whole or not at all when the simulator stops. A symbolic link at
// the name is followed only when it belongs to the user or to root, and a
// regular file of another user is never replaced.
#pragma once

#include <string>

namespace sim {

// Whether the state can be saved to `path`. False with `error` saying why.
bool CheckSaveFile(const std::string& path, std::string& error);

// Writes `text` to a new file beside the target, syncs it and renames it
// over the target, so any failure leaves the old file as it was. A device
// or pipe is written in place. False with `error` saying why.
bool SaveFile(const std::string& path, const std::string& text,
              std::string& error);

}  // namespace sim
