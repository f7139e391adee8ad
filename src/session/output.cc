#include "session/output.h"

namespace session {

std::FILE* outputStream = stdout;

}  // namespace session
