// Interruptions: SIGINT, SIGTERM and SIGHUP. Their handlers only record
// the signal. Every wait of the platform layer (pauses, socket waits,
// console reads) returns when one arrives, and the layers above look at
// what was recorded and stop through their ordinary failure paths.
#pragma once

#include <poll.h>
#include <signal.h>

#include <cstdint>

namespace platform {

// What the signals received so far ask of the program.
enum class Interruption {
  kNone,
  kStopCommand,  // stop the running command; the session goes on
  kEndSession,   // end the program
};

// Installs the handlers. With `sigintStopsCommand` (a person at a terminal
// prompt) SIGINT asks only to stop the running command; otherwise it ends
// the session as SIGTERM and SIGHUP always do.
void catchInterruptions(bool sigintStopsCommand);

// Ending the session outweighs stopping a command.
Interruption interruption();

// True once anything was asked: whatever runs must stop.
bool interrupted();

// The signal that ends the session, 0 when none came.
int endingSignal();

// The system's name of a signal ("Terminated").
const char* signalText(int signal);

// While one lives, SIGQUIT and SIGTSTP (Ctrl-\ and Ctrl-Z at a terminal)
// are recorded as SIGINT is, instead of ending or stopping the program:
// for a wait that has changed the terminal and must be left only through
// the code that changes it back.
class QuitKeysInterrupt {
 public:
  QuitKeysInterrupt();
  ~QuitKeysInterrupt();
  QuitKeysInterrupt(const QuitKeysInterrupt&) = delete;
  QuitKeysInterrupt& operator=(const QuitKeysInterrupt&) = delete;

 private:
  struct sigaction previous_[2];
};

// Forgets every interruption recorded: the shell calls it once the
// stopped command is reported.
void clearInterruption();

// Waits up to `milliseconds` until one of `entries` is ready, and returns
// at once when an interruption is recorded or arrives during the wait,
// with no moment in between in which a signal could be missed. True when
// an entry is ready; the caller judges its revents.
bool waitUnlessInterrupted(pollfd* entries, nfds_t count,
                           uint32_t milliseconds);

}  // namespace platform
