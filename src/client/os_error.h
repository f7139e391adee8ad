// The operating system's side of a failure, kept for the long error texts:
// the errno of the library's last failing system call and the sockets error
// that means the same.
#pragma once

namespace emclient {

// Records the errno of a failing call (0 is ignored).
void rememberOsError(int error);

// The last recorded errno, 0 when none.
int lastOsError();

// The sockets error number with the meaning of an errno, 0 when none has.
int socketErrorNumber(int error);

// The name of a sockets error number, or "Unknown extended error code".
const char* socketErrorName(int socketError);

}  // namespace emclient
