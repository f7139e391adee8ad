#include "session/output.h"

namespace shell {

std::FILE* outputStream = stdout;

}  // namespace shell
