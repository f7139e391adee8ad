#include "shell/regression.h"

#include <cerrno>
#include <cstring>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "language/grammar.h"
#include "language/line_walk.h"
#include "language/password_mask.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/interruption.h"
#include "platform/pending_file.h"
#include "platform/written_files.h"
#include "request/ignored_properties.h"
#include "session/result_recorder.h"
#include "session/shown_text.h"
#include "session/tracked_memory.h"
#include "shell/execute_line.h"
#include "shell/script_file.h"

namespace shell {

using session::automation;
using session::CommandContext;
using session::errorStream;
using session::kExitRequested;
using session::kRegressionCapture;
using session::kRegressionTesting;
using session::kStoppedOnError;
using session::outputStream;
using session::ParseFailed;
using session::ParseOk;
using session::ParseStatus;
using session::promptName;
using session::RunMode;
using session::runMode;
using session::screenErrorStream;
using session::SessionOptions;
using session::sessionOptions;
using session::SessionState;
using session::shownText;
using session::WorkArea;
namespace {

// The reference being captured: it takes its name only complete, when the
// capture ends well; the process's end without that leaves no trace of it.
platform::PendingFile pendingReference;
std::FILE* captureFile = nullptr;
std::string captureName;
std::optional<unsigned> differenceTotal;  // empty until a test has run
// How many scripts deep the capture began (0: at the prompt).
int captureDepth = 0;

bool regressionRunning(const SessionState& session) {
  return (session.sessionFlags & (kRegressionCapture | kRegressionTesting)) !=
         0;
}

// Lines are compared and shown without trailing control characters;
// trailing blanks count.
std::string_view withoutTrailingControls(const std::string& line) {
  std::size_t length = line.size();
  while (length > 0 && static_cast<signed char>(line[length - 1]) < 32) {
    --length;
  }
  return std::string_view(line).substr(0, length);
}

bool isCommandLine(const std::string& line) {
  return line.size() >= 2 && line[0] == '>' && line[1] == ' ';
}

// Whether a recorded command line is one a replay passes over when its
// section is blank: the line that ended the capture (it would only fail
// now), and a FILE line whose script's lines follow it as commands of
// their own, as earlier versions recorded them (running it too would run
// them twice). Found without running anything.
bool passedOverWhenBlank(const std::string& command) {
  // With a blank after it, the line's last word is matched too.
  language::LineWalk walk =
      language::walkLine(language::rootList(), command + " ");
  if (walk.path.empty()) return false;
  language::NodeHandler handler = walk.path.back()->handler;
  return handler == installEndCapture || handler == installRunScript;
}

bool linesDiffer(const std::string& referenceLine,
                 const std::string& testLine) {
  std::string_view reference = withoutTrailingControls(referenceLine);
  std::string_view test = withoutTrailingControls(testLine);
  std::size_t marker = reference.find(request::kIgnoreMarker);
  if (marker == std::string_view::npos) return reference != test;
  return test.size() < marker ||
         test.substr(0, marker) != reference.substr(0, marker);
}

// The file name of a REGRESSION line, or false after printing why not.
bool namedFile(const CommandContext& context, std::string& name) {
  if (context.tokenLength > platform::kLineLimit) {
    std::fprintf(errorStream(),
                 "\nError: Filename too long, limit %u characters",
                 static_cast<unsigned>(platform::kLineLimit));
    return false;
  }
  name.assign(context.tokenStart, context.tokenLength);
  return true;
}

void reportOpenFailure(const std::string& name) {
  std::fprintf(errorStream(), "\nError: Open of %s failed, %s", name.c_str(),
               platform::errorText(errno));
}

class Replay {
 public:
  Replay(CommandContext& context, std::FILE* reference, std::FILE* scratch)
      : context_(context), reference_(reference), scratch_(scratch) {}

  // Replays every command line of the reference and returns the number of
  // sections that differed.
  unsigned run() {
    // The lines before the first command belong to no command.
    bool commandFollows = skipToCommand();
    while (commandFollows && !runaway_ && !platform::interrupted() &&
           (context_.session->sessionFlags & kExitRequested) == 0) {
      platform::emptyFile(scratch_);
      if (!passedOverWhenBlank(command_) || !sectionIsBlank()) {
        // A job's log may be read by others: its echo hides the passwords.
        std::string echo =
            session::automation.quiet
                ? language::maskPasswords(language::rootList(), command_).text
                : command_;
        std::printf("\n%s> %s\n", promptName(*context_.session), echo.c_str());
        executeLine(context_, command_.c_str(), command_.size(), true);
      }
      // Stands for the line feed that begins the next command's echo.
      std::fputc('\n', scratch_);
      commandFollows = compareSection();
    }
    return differences_;
  }

  // Whether a line of either file ran on without a line feed, which ended
  // the replay.
  bool metRunawayLine() const { return runaway_; }

 private:
  // One line of either file: false at its end, and for a runaway line,
  // which ends the replay.
  bool readLine(std::FILE* stream, std::string& line, bool& terminated) {
    if (runaway_) return false;
    platform::LineStatus status =
        platform::readBoundedLine(stream, line, terminated);
    runaway_ = status == platform::LineStatus::kRunaway;
    return status == platform::LineStatus::kOk;
  }

  bool readReference(std::string& line) {
    return readLine(reference_, line, lastTerminated_);
  }

  // A command line only follows when a line feed ends it: a last line
  // without one ends the reference and is not replayed.
  bool takeCommand(const std::string& line) {
    if (!lastTerminated_) return false;
    command_ = std::string(withoutTrailingControls(line).substr(2));
    return true;
  }

  bool skipToCommand() {
    std::string line;
    while (readReference(line)) {
      if (isCommandLine(line)) return takeCommand(line);
    }
    return false;
  }

  // Whether the section that follows holds nothing but empty lines; the
  // reference is read on from where it stands afterwards.
  bool sectionIsBlank() {
    fpos_t sectionStart;
    std::fgetpos(reference_, &sectionStart);
    std::string line;
    bool terminated = false;
    bool blank = true;
    while (blank && readLine(reference_, line, terminated) &&
           !isCommandLine(line)) {
      blank = withoutTrailingControls(line).empty();
    }
    std::fsetpos(reference_, &sectionStart);
    return blank;
  }

  // Compares the reference section after the command just run with what
  // the command wrote; leaves the next command line in command_.
  bool compareSection() {
    fpos_t sectionStart;
    std::fgetpos(reference_, &sectionStart);
    std::fflush(scratch_);
    std::rewind(scratch_);
    std::string referenceLine, testLine;
    bool scratchTerminated = false;
    unsigned matched = 0;
    bool differs = false;
    bool commandFollows = false;
    while (readReference(referenceLine)) {
      if (isCommandLine(referenceLine)) {
        commandFollows = takeCommand(referenceLine);
        break;
      }
      if (differs) continue;
      if (!readLine(scratch_, testLine, scratchTerminated) ||
          linesDiffer(referenceLine, testLine)) {
        differs = true;
      } else {
        ++matched;
      }
    }
    if (!differs && readLine(scratch_, testLine, scratchTerminated)) {
      // At the end of the reference no echo follows the last output, so
      // the closing line feed written after the command has no partner.
      bool atReferenceEnd = !commandFollows && std::feof(reference_);
      bool closingLineFeedOnly =
          atReferenceEnd && testLine.empty() &&
          !readLine(scratch_, testLine, scratchTerminated);
      differs = !closingLineFeedOnly;
    }
    if (differs) report(sectionStart, matched);
    return commandFollows;
  }

  void report(const fpos_t& sectionStart, unsigned matched) {
    fpos_t resume;
    std::fgetpos(reference_, &resume);
    std::fsetpos(reference_, &sectionStart);
    std::string line;
    bool terminated = false;
    std::printf("\nReference:");
    for (unsigned index = 0; readLine(reference_, line, terminated); ++index) {
      if (isCommandLine(line)) break;
      printMarked(index, matched, line);
    }
    std::fsetpos(reference_, &resume);
    std::printf("\n\nSystem under test:");
    std::rewind(scratch_);
    for (unsigned index = 0; readLine(scratch_, line, terminated); ++index) {
      printMarked(index, matched, line);
    }
    std::printf("\n");
    ++differences_;
  }

  static void printMarked(unsigned index, unsigned matched,
                          const std::string& line) {
    std::string text(withoutTrailingControls(line));
    // In a job's log, the echoes of a script's lines hide their passwords
    // as the replay's own echo does.
    if (session::automation.quiet) {
      text = language::maskPasswords(language::rootList(), text).text;
    }
    std::string shown = shownText(text, stdout);
    std::printf("\n %c %s", index < matched ? ' ' : '*', shown.c_str());
  }

  CommandContext& context_;
  std::FILE* reference_;
  std::FILE* scratch_;
  std::string command_;
  bool lastTerminated_ = false;
  bool runaway_ = false;
  unsigned differences_ = 0;
};

int startCapture(CommandContext& context) {
  std::string name;
  if (!namedFile(context, name)) return 0;
  // A capture records every command line, passwords included.
  if (!pendingReference.open(name.c_str(), platform::FileAccess::kPrivate)) {
    reportOpenFailure(name);
    return 0;
  }
  captureFile = pendingReference.stream();
  captureName = name;
  captureDepth = scriptDepth();
  outputStream = captureFile;
  context.session->sessionFlags |= kRegressionCapture;
  // Kept after the capture ends, until SET OPTIONS changes them.
  sessionOptions.commandDelay = 0;
  sessionOptions.displayWidth = 2048;
  return 0;
}

// Pushes the capture's output to its file: 0, or the error number of a
// write that failed now or earlier (EIO when none is left of it).
int flushCapture() {
  errno = 0;
  if (std::fflush(captureFile) != 0) return errno != 0 ? errno : EIO;
  return std::ferror(captureFile) != 0 ? EIO : 0;
}

// Ends the capture's file. A reference with output missing would later
// compare fewer lines than were run and pass, so unless it was written
// whole (`error` 0) it does not take its name, and the screen says so.
// 0, or 1 then.
int closeCaptureFile(int error) {
  outputStream = stdout;
  captureFile = nullptr;
  bool inPlace = pendingReference.direct();
  if (error == 0 && !pendingReference.commit())
    error = errno != 0 ? errno : EIO;
  pendingReference.discard();
  if (error == 0) return 0;
  // An interruption is reported by the shell; only the file's fate is
  // told here.
  if (error != EINTR) {
    std::fprintf(
        screenErrorStream(),
        "\nError: Cannot write ouput file.  Error detected:\n       %s",
        platform::errorText(error));
  }
  if (inPlace) {
    std::fprintf(screenErrorStream(),
                 "\nRegression capture ended; %s is incomplete",
                 captureName.c_str());
  } else if (platform::nameExists(captureName.c_str())) {
    std::fprintf(screenErrorStream(),
                 "\nRegression capture ended; %s left as it was",
                 captureName.c_str());
  } else {
    std::fprintf(screenErrorStream(),
                 "\nRegression capture ended; incomplete %s deleted",
                 captureName.c_str());
  }
  return 1;
}

int closeCapture(SessionState& session, int error) {
  session.sessionFlags &= ~kRegressionCapture;
  return closeCaptureFile(error);
}

int endCapture(CommandContext& context) {
  SessionState& session = *context.session;
  if ((session.sessionFlags & kRegressionCapture) == 0) {
    std::fputs("\nError: Regression capture is not already in progress",
               screenErrorStream());
    return 1;
  }
  return closeCapture(session, flushCapture());
}

int runRegressionTest(CommandContext& context) {
  SessionState& session = *context.session;
  const SessionOptions notedOptions = sessionOptions;
  const RunMode notedMode = runMode;
  std::string name;
  if (!namedFile(context, name)) return 0;
  std::FILE* recorded = platform::openForReading(name.c_str());
  if (recorded == nullptr) {
    reportOpenFailure(name);
    return 0;
  }
  std::FILE* scratch = platform::openScratchFile();
  if (scratch == nullptr) {
    std::fprintf(errorStream(), "\nError: Open of %s failed, %s",
                 "the scratch file", platform::errorText(errno));
    std::fclose(recorded);
    return 0;
  }
  if (!differenceTotal) differenceTotal = 0;
  sessionOptions.commandDelay = 0;
  sessionOptions.displayWidth = 2048;
  runMode = RunMode::kScript;
  session.sessionFlags |= kRegressionTesting;

  // Every replayed line resets the work area; this line's own is put back.
  WorkArea outer = session.work;
  std::FILE* previousOutput = outputStream;
  outputStream = scratch;
  Replay replay(context, recorded, scratch);
  // A replayed line that fails as recorded is no failure of the job; the
  // comparison says whether the test passed. A session it stopped on an
  // error did fail.
  bool failedBefore = session::anyLineFailed();
  unsigned differences = replay.run();
  session::setAnyLineFailed(failedBefore ||
                            (session.sessionFlags & kStoppedOnError) != 0);
  bool stopped = replay.metRunawayLine();
  if (stopped) {
    std::fprintf(screenErrorStream(),
                 "\nError: Input line too long, limit %d characters",
                 static_cast<int>(platform::kRunawayLimit));
  }
  outputStream = previousOutput;
  std::fclose(scratch);
  session.work = outer;

  session::setResult(session::ResultKind::kDifferences,
                     nlohmann::ordered_json(differences));
  // A job must see a test that found differences, or stopped before the
  // reference's end, fail: the count is then the line's error.
  bool failsJob = automation.quiet && (differences != 0 || stopped);
  if (failsJob) {
    if (differences != 0) {
      std::fprintf(screenErrorStream(),
                   "\nNumber of regression differences found: %u", differences);
    }
  } else if (differences == 0) {
    std::printf("\n\n\nNo regression differences found\n");
  } else {
    std::printf("\n\n\nNumber of regression differences found: %u\n",
                differences);
  }
  *differenceTotal += differences;
  session.sessionFlags &= ~kRegressionTesting;
  runMode = notedMode;
  std::fclose(recorded);
  sessionOptions.displayWidth = notedOptions.displayWidth;
  sessionOptions.commandDelay = notedOptions.commandDelay;
  return stopped || failsJob ? 1 : 0;
}

// Capture and test exclude each other and themselves.
ParseStatus refuseWhileRunning(const CommandContext& context) {
  if (!regressionRunning(*context.session)) return ParseOk;
  std::fputs("\nError: Regression in some form is already running",
             screenErrorStream());
  return ParseFailed;
}

}  // namespace

ParseStatus installStartCapture(CommandContext& context) {
  if (refuseWhileRunning(context) != ParseOk) return ParseFailed;
  context.session->work.finalHandler = startCapture;
  return ParseOk;
}

ParseStatus installEndCapture(CommandContext& context) {
  context.session->work.finalHandler = endCapture;
  return ParseOk;
}

ParseStatus installRegressionTest(CommandContext& context) {
  if (refuseWhileRunning(context) != ParseOk) return ParseFailed;
  context.session->work.finalHandler = runRegressionTest;
  return ParseOk;
}

int checkCaptureWritten(SessionState& session) {
  if ((session.sessionFlags & kRegressionCapture) == 0) return 0;
  // A reference whose last command was cut short would fail every replay.
  int error = platform::interrupted() ? EINTR : flushCapture();
  return error == 0 ? 0 : closeCapture(session, error);
}

int finishCaptureAtExit() {
  if (captureFile == nullptr) return 0;
  return closeCaptureFile(flushCapture());
}

bool scriptLinesAreCommands(int depth) { return depth <= captureDepth; }

bool regressionTestRan() { return differenceTotal.has_value(); }

unsigned regressionDifferenceTotal() { return differenceTotal.value_or(0); }

}  // namespace shell
