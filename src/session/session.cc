#include "session/session.h"

namespace shell {

std::FILE* outputStream = stdout;
RunMode runMode = RunMode::kNone;
SessionOptions sessionOptions;

const char* promptName(const SessionState& session) {
  if (session.sessionFlags & (kRegressionCapture | kRegressionTesting)) {
    return "RegressionTest";
  }
  if (session.systemName != nullptr) return session.systemName;
  return "NoSystemSelected";
}

}  // namespace shell
