#include "platform/interruption.h"

#include <signal.h>

#include <csignal>
#include <cstring>
#include <ctime>
#include <iterator>

namespace platform {
namespace {

constexpr int kInterruptionSignals[] = {SIGINT, SIGTERM, SIGHUP};
// What QuitKeysInterrupt turns into SIGINT; the order of its previous_.
constexpr int kQuitKeySignals[] = {SIGQUIT, SIGTSTP};

volatile std::sig_atomic_t stopRequested = 0;
volatile std::sig_atomic_t endSignal = 0;
// Set before the handlers are installed and never changed afterwards.
bool sigintOnlyStops = false;

extern "C" void recordSignal(int signal) {
  if (signal == SIGINT && sigintOnlyStops) {
    stopRequested = 1;
  } else {
    endSignal = signal;
  }
}

extern "C" void recordQuitKey(int) { recordSignal(SIGINT); }

// The quit keys too: while they count as interruptions, one of them must
// not slip in between the look at the flags and the wait either.
sigset_t interruptionSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal : kInterruptionSignals) sigaddset(&set, signal);
  for (int signal : kQuitKeySignals) sigaddset(&set, signal);
  return set;
}

}  // namespace

void catchInterruptions(bool sigintStopsCommand) {
  sigintOnlyStops = sigintStopsCommand;
  struct sigaction action {};
  action.sa_handler = recordSignal;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a blocking console read must return to be judged.
  action.sa_flags = 0;
  for (int signal : kInterruptionSignals) sigaction(signal, &action, nullptr);
}

QuitKeysInterrupt::QuitKeysInterrupt() {
  static_assert(std::size(kQuitKeySignals) ==
                sizeof previous_ / sizeof previous_[0]);
  struct sigaction action {};
  action.sa_handler = recordQuitKey;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;
  for (std::size_t i = 0; i < std::size(kQuitKeySignals); ++i) {
    sigaction(kQuitKeySignals[i], &action, &previous_[i]);
  }
}

QuitKeysInterrupt::~QuitKeysInterrupt() {
  for (std::size_t i = 0; i < std::size(kQuitKeySignals); ++i) {
    sigaction(kQuitKeySignals[i], &previous_[i], nullptr);
  }
}

Interruption interruption() {
  if (endSignal != 0) return Interruption::kEndSession;
  if (stopRequested != 0) return Interruption::kStopCommand;
  return Interruption::kNone;
}

bool interrupted() { return interruption() != Interruption::kNone; }

int endingSignal() { return endSignal; }

const char* signalText(int signal) { return strsignal(signal); }

void clearInterruption() {
  stopRequested = 0;
  endSignal = 0;
}

bool waitUnlessInterrupted(pollfd* entries, nfds_t count,
                           uint32_t milliseconds) {
  // The signals stay blocked from the look at the flags until ppoll, which
  // lets them in only while it waits: one arriving in between is delivered
  // by ppoll itself instead of being missed until the wait ends.
  sigset_t blocked = interruptionSignals();
  sigset_t open;
  sigprocmask(SIG_BLOCK, &blocked, &open);
  int ready = 0;
  if (!interrupted()) {
    timespec limit{static_cast<time_t>(milliseconds / 1000),
                   static_cast<long>(milliseconds % 1000) * 1000000L};
    ready = ppoll(entries, count, &limit, &open);
  }
  sigprocmask(SIG_SETMASK, &open, nullptr);
  return ready > 0;
}

}  // namespace platform
