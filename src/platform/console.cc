#include "platform/console.h"

#include <fcntl.h>
#include <poll.h>
#include <stdio_ext.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <initializer_list>

#include "platform/interruption.h"

namespace platform {

LineStatus readLine(std::FILE* stream, LineBuffer& line) {
  if (stream == stdin) std::fflush(nullptr);
  line.length = 0;
  line.atEnd = false;
  line.error = 0;
  std::size_t counted = 0;  // characters of the raw line, line feed included
  bool lastWasCarriageReturn = false;
  for (;;) {
    errno = 0;
    // The shell has one thread: the stream's lock is taken for nothing.
    int c = getc_unlocked(stream);
    if (c == EOF) {
      if (std::ferror(stream) && interrupted()) {
        // The stream stays usable for the next prompt.
        std::clearerr(stream);
        line.length = 0;
        line.text[0] = '\0';
        return LineStatus::kInterrupted;
      }
      if (std::ferror(stream)) {
        line.error = errno != 0 ? errno : EIO;
        line.text[line.length] = '\0';
        return LineStatus::kError;
      }
      line.atEnd = true;
      if (counted == 0) {
        line.text[0] = '\0';
        return LineStatus::kEnd;
      }
      break;
    }
    if (c == '\n') {
      if (lastWasCarriageReturn) {
        --counted;
        if (line.length > 0 && counted < kLineLimit) --line.length;
      }
      ++counted;
      break;
    }
    lastWasCarriageReturn = c == '\r';
    if (line.length < kLineLimit)
      line.text[line.length++] = static_cast<char>(c);
    if (++counted == kRunawayLimit) {
      line.text[line.length] = '\0';
      return LineStatus::kRunaway;
    }
  }
  line.text[line.length] = '\0';
  return counted >= kLineLimit ? LineStatus::kTooLong : LineStatus::kOk;
}

// Character by character without the stream's lock: the line feed is
// looked for in the C library's buffer at little more than a copy.
LineStatus readBoundedLine(std::FILE* stream, std::string& line,
                           bool& terminated) {
  line.clear();
  terminated = false;
  int c;
  while ((c = getc_unlocked(stream)) != EOF) {
    if (c == '\n') {
      terminated = true;
      return LineStatus::kOk;
    }
    line.push_back(static_cast<char>(c));
    if (line.size() == kRunawayLimit) return LineStatus::kRunaway;
  }
  return line.empty() ? LineStatus::kEnd : LineStatus::kOk;
}

bool readWholeLine(std::FILE* stream, std::string& line, bool& terminated) {
  return readBoundedLine(stream, line, terminated) == LineStatus::kOk;
}

int readKey() {
  std::fflush(nullptr);
  return std::getchar();
}

namespace {

// The terminal on standard input, opened again without blocking: after the
// wait below a key can still vanish (Ctrl-C discards what was typed ahead),
// and a blocking read would then sleep through the interruption. A
// descriptor of its own leaves the flags others share with standard input
// alone; where the terminal cannot be opened again, standard input serves.
int keyDescriptor() {
  static const int descriptor = [] {
    int own =
        open("/proc/self/fd/0", O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    return own >= 0 ? own : STDIN_FILENO;
  }();
  return descriptor;
}

// One byte of the terminal: 1, 0 at its end, -1 on an error or an
// interruption. The wait looks at the interruption flag with the signals
// held back until it sleeps, so a Ctrl-C that came while the caller was
// busy ends the read at once instead of when the next key comes.
int readTerminalByte(char& byte) {
  int keys = keyDescriptor();
  for (;;) {
    pollfd input{keys, POLLIN, 0};
    if (!waitUnlessInterrupted(&input, 1, UINT32_MAX) && interrupted()) {
      errno = EINTR;
      return -1;
    }
    ssize_t got = read(keys, &byte, 1);
    if (got >= 0) return static_cast<int>(got);
    if (errno == EINTR && interrupted()) return -1;
    if (errno != EINTR && errno != EAGAIN) return -1;
  }
}

}  // namespace

int readTerminalCharacter(wchar_t& character) {
  char bytes[MB_LEN_MAX];
  std::size_t count = 0;
  for (;;) {
    int got = readTerminalByte(bytes[count]);
    if (got <= 0) return got;
    ++count;
    for (;;) {
      std::mbstate_t state{};
      std::size_t made = std::mbrtowc(&character, bytes, count, &state);
      if (made == static_cast<std::size_t>(-2)) {
        if (count == sizeof bytes) count = 0;
        break;
      }
      if (made != static_cast<std::size_t>(-1)) return 1;
      // A lone byte that is no character is dropped; a sequence broken off
      // by its last byte starts again from that byte.
      if (count == 1) {
        count = 0;
        break;
      }
      bytes[0] = bytes[count - 1];
      count = 1;
    }
  }
}

bool isTerminal(int descriptor) { return isatty(descriptor) == 1; }

void useStandardStreamsFromOneThread() {
  for (std::FILE* stream : {stdin, stdout, stderr}) {
    __fsetlocking(stream, FSETLOCKING_BYCALLER);
  }
}

bool readHiddenLine(const char* prompt, std::string& line) {
  std::fputs(prompt, stdout);
  std::fflush(nullptr);
  termios shown{};
  if (tcgetattr(STDIN_FILENO, &shown) != 0) return false;
  termios hidden = shown;
  // The line feed still shows, so what follows starts on a line of its own.
  hidden.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  hidden.c_lflag |= ECHONL;
  // Ctrl-\ and Ctrl-Z would leave the terminal hidden: they end the answer
  // as Ctrl-C does.
  QuitKeysInterrupt quitKeys;
  // Typed-ahead input is dropped: it was typed while it could be seen.
  if (tcsetattr(STDIN_FILENO, TCSAFLUSH, &hidden) != 0) return false;
  // The terminal hands over whole lines only: once one is ready, reading
  // it does not wait.
  pollfd input{STDIN_FILENO, POLLIN, 0};
  constexpr uint32_t kWaitStep = 60'000;
  while (!waitUnlessInterrupted(&input, 1, kWaitStep) && !interrupted()) {
  }
  bool read = false;
  if (!interrupted()) {
    bool terminated = false;
    read = readWholeLine(stdin, line, terminated);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // An end of input here ends only this answer, not the session's input.
    std::clearerr(stdin);
  }
  if (interrupted()) {
    read = false;
    line.clear();
  }
  // What was typed of an answer given up is dropped too, or the prompt
  // after it would show it and take it for a command.
  tcsetattr(STDIN_FILENO, read ? TCSANOW : TCSAFLUSH, &shown);
  return read;
}

}  // namespace platform
