#include "client/log_mask.h"

#include <cctype>

#include "client/protocol_names.h"
#include "client/text_search.h"

namespace emclient {
namespace {

constexpr std::string_view kPasswordTagEnd = "password";
constexpr std::string_view kAuthorization = kAuthorizationHeader;

char lower(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool isNameCharacter(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == ':' || c == '_' ||
         c == '-' || c == '.';
}

// Where "password" (any case) next occurs at or after `from`, or kNotFound.
std::size_t findPasswordWord(std::string_view text, std::size_t from) {
  for (std::size_t at = from; at + kPasswordTagEnd.size() <= text.size();
       ++at) {
    std::size_t i = 0;
    while (i < kPasswordTagEnd.size() &&
           lower(text[at + i]) == kPasswordTagEnd[i]) {
      ++i;
    }
    if (i == kPasswordTagEnd.size()) return at;
  }
  return kNotFound;
}

// The value of the opening tag whose name ends with the word at `word`:
// the text after its '>' up to the next '<' (or the end). Nothing for the
// word anywhere else, a closing tag included.
bool passwordValue(std::string_view text, std::size_t word, Span& value) {
  std::size_t nameStart = word;
  while (nameStart > 0 && isNameCharacter(text[nameStart - 1])) --nameStart;
  if (nameStart == 0 || text[nameStart - 1] != '<') return false;
  std::size_t after = word + kPasswordTagEnd.size();
  if (after >= text.size() || isNameCharacter(text[after])) return false;
  std::size_t close = text.find('>', after);
  if (close == kNotFound || text[close - 1] == '/') return false;
  std::size_t end = text.find('<', close + 1);
  value = Span{close + 1, end == kNotFound ? text.size() : end};
  return true;
}

void maskPasswordElements(std::string& text) {
  for (std::size_t at = findPasswordWord(text, 0); at != kNotFound;
       at = findPasswordWord(text, at + kPasswordTagEnd.size())) {
    Span value{};
    if (!passwordValue(text, at, value) || value.end == value.begin) continue;
    text.replace(value.begin, value.end - value.begin, kLogMask);
  }
}

std::size_t lineEnd(std::string_view text, std::size_t from) {
  std::size_t end = text.find_first_of("\r\n", from);
  return end == kNotFound ? text.size() : end;
}

// A long credential goes on over lines of base64 characters only.
bool isCredentialLine(std::string_view line) {
  return !line.empty() && line.find_first_not_of(
                              "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstu"
                              "vwxyz0123456789+/=") == kNotFound;
}

// The header's scheme stays ("Basic"): only the credential is secret.
void maskAuthorization(std::string& text) {
  for (std::size_t at = findMarker(text, kAuthorization); at != kNotFound;
       at = findMarker(text, kAuthorization, at + kAuthorization.size())) {
    std::size_t begin = text.find_first_not_of(' ', at + kAuthorization.size());
    if (begin == kNotFound) return;
    std::size_t end = lineEnd(text, begin);
    std::size_t blank = text.find(' ', begin);
    if (blank != kNotFound && blank < end) begin = blank + 1;
    while (text.compare(end, 2, "\r\n") == 0) {
      std::size_t next = lineEnd(text, end + 2);
      if (!isCredentialLine(
              std::string_view(text).substr(end + 2, next - end - 2))) {
        break;
      }
      end = next;
    }
    if (end > begin) text.replace(begin, end - begin, kLogMask);
  }
}

}  // namespace

std::string maskedForLog(std::string_view message) {
  std::string text(message);
  maskPasswordElements(text);
  maskAuthorization(text);
  return text;
}

std::string withoutSecrets(std::string_view text,
                           std::initializer_list<std::string_view> secrets) {
  std::string masked(text);
  for (std::string_view secret : secrets) {
    if (!secret.empty()) masked = replaceAll(masked, secret, kLogMask);
  }
  return masked;
}

}  // namespace emclient
