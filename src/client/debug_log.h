// The debug log: entries appended to a text file that is opened and closed
// for every entry and rotated to "<name>.old" past its size limit. The
// environment variables FILE_NAME, FILE_SIZE and LOG_LEVEL override the
// file name, the limit and the older layer's level at every write.
#pragma once

#include <string>
#include <string_view>

#include "client/settings.h"

namespace emclient {

// Writes one entry: the local time line, an empty line, the message and a
// line end. Returns 0 (also at level 0, writing nothing); 300 for a null
// message, a level other than 0, 1, 2 or a size limit below 500; 400 when
// the file does not open or may not be written (written_files.h). The file
// is made readable by its owner only; passwords and what stands for them
// are masked (log_mask.h).
int writeEntry(const char* message);

// Writes `message` when the layer's level is at least `level`.
void trace(Layer layer, int level, std::string_view message);

// The same for a line followed by a text: two entries.
void trace(Layer layer, int level, std::string_view line,
           std::string_view text);

// A timing entry with the milliseconds since the layer's previous mark,
// written at level 2; `label` may be null.
void performanceMark(Layer layer, const char* label);

// The file name of later entries; empty means "EMClientAPIDebug.txt".
void setDebugFileName(const char* name);

// Forgets the file name and the size limit, for tests.
void resetDebugLog();

}  // namespace emclient
