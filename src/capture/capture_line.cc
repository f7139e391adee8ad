#include "capture/capture_line.h"

#include <cctype>
#include <cerrno>
#include <cstring>

#include "platform/files.h"
#include "session/output.h"
#include "session/shown_text.h"
#include "session/tracked_memory.h"

namespace capture {
namespace {

// "! " comes in front of a comment text.
constexpr std::size_t kLongestCommentText = kLongestLine - 2;

constexpr char kForbiddenInText[] = "?\"/\\<>*|:&+,%";

bool holdsQuote(std::initializer_list<std::string_view> parts) {
  for (std::string_view part : parts) {
    if (part.find('"') != std::string_view::npos) return true;
  }
  return false;
}

// A capture without a file name prints its lines, whose names are the
// server's: at a terminal they are shown harmless (shown_text.h). Step
// files get every byte.
bool writeText(std::FILE* output, std::string_view text) {
  std::string shown;
  if (output == stdout) {
    shown = session::shownText(text, output);
    text = shown;
  }
  return text.empty() ||
         std::fwrite(text.data(), 1, text.size(), output) == text.size();
}

int writeCommentPiece(std::FILE* output, const char* text, std::size_t length) {
  if (std::fputs("! ", output) == EOF) return 1;
  if (!writeText(output, std::string_view(text, length))) return 1;
  return std::fputc('\n', output) == EOF ? 1 : 0;
}

}  // namespace

void startLine(CaptureWriter& writer, const char* firstWord) {
  std::size_t length = std::strlen(firstWord);
  std::memcpy(writer.captureLine, firstWord, length);
  writer.captureLine[length] = '\0';
  writer.lineLength = length;
}

int appendPiece(CaptureWriter& writer,
                std::initializer_list<std::string_view> parts) {
  std::size_t pieceLength = 0;
  for (std::string_view part : parts) pieceLength += part.size();
  if (writer.lineLength + 1 + pieceLength > kLongestLine) {
    std::fputs("\nError: Command becomes too long when adding ",
               session::errorStream());
    for (std::string_view part : parts) {
      std::string shown = session::shownText(part);
      std::fwrite(shown.data(), 1, shown.size(), session::errorStream());
    }
    std::fprintf(session::errorStream(), ".  Command so far:\n       %s",
                 session::shownText(writer.captureLine).c_str());
    return 1;
  }
  bool asItIs = holdsQuote(parts);
  char* end = writer.captureLine + writer.lineLength;
  *end++ = ' ';
  for (std::string_view part : parts) {
    for (char c : part) {
      *end++ =
          asItIs
              ? c
              : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
  }
  *end = '\0';
  writer.lineLength = static_cast<std::size_t>(end - writer.captureLine);
  return 0;
}

int appendWord(CaptureWriter& writer, std::string_view word) {
  return appendPiece(writer, {word});
}

int appendSetting(CaptureWriter& writer, std::string_view key,
                  std::string_view value) {
  return appendPiece(writer, {key, "=", value});
}

int appendQuoted(CaptureWriter& writer, std::string_view text) {
  return appendPiece(writer, {"\"", text, "\""});
}

int appendQuotedSetting(CaptureWriter& writer, std::string_view key,
                        std::string_view text) {
  return appendPiece(writer, {key, "=\"", text, "\""});
}

bool appendComment(CaptureWriter& writer, const char* comment) {
  if (comment == nullptr || comment[0] == '\0') return false;
  char* text = session::copyText(comment, std::strlen(comment),
                                 "quill_configuration", __LINE__);
  bool appended = SanitizeComment(text) > 0 &&
                  appendQuotedSetting(writer, "COMMENT", text) == 0;
  session::release(text);
  return appended;
}

int writeLine(CaptureWriter& writer) {
  errno = 0;
  if (!writeText(writer.output,
                 std::string_view(writer.captureLine, writer.lineLength)) ||
      std::fputc('\n', writer.output) == EOF) {
    std::fprintf(
        session::errorStream(),
        "\nError: Cannot write ouput file.  Error detected:\n       %s",
        platform::errorText(errno != 0 ? errno : EIO));
    return 1;
  }
  return 0;
}

int writeCommentLine(CaptureWriter& writer, const char* text) {
  std::size_t length = std::strlen(text);
  while (length > kLongestCommentText) {
    std::size_t blank = kLongestCommentText;
    while (blank > 0 && text[blank] != ' ') --blank;
    std::size_t kept = text[blank] == ' ' ? blank : kLongestCommentText;
    std::size_t skipped = text[blank] == ' ' ? 1 : 0;
    if (writeCommentPiece(writer.output, text, kept) != 0) return 1;
    text += kept + skipped;
    length -= kept + skipped;
  }
  return writeCommentPiece(writer.output, text, length);
}

std::size_t SanitizeComment(char* text) {
  std::size_t kept = 0;
  for (char* c = text; *c != '\0'; ++c) {
    auto code = static_cast<unsigned char>(*c);
    if (code < 0x20 || code > 0x7E) continue;
    if (std::strchr(kForbiddenInText, *c) != nullptr) continue;
    text[kept++] = *c;
  }
  text[kept] = '\0';
  return kept;
}

}  // namespace capture
