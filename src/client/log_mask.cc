#include "client/log_mask.h"

#include <algorithm>
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

// Header names are matched in any case.
bool startsWithWord(std::string_view text, std::size_t at,
                    std::string_view word) {
  if (text.size() - at < word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (lower(text[at + i]) != lower(word[i])) return false;
  }
  return true;
}

// The value of each name=value pair from `begin` to the end of the line;
// with `firstOnly` that of the first pair alone, for the attributes of a
// Set-Cookie header (path, expiry) are no secret.
void maskCookiePairs(std::string& text, std::size_t begin, bool firstOnly) {
  std::size_t end = lineEnd(text, begin);
  while (begin < end) {
    std::size_t pairEnd = std::min(text.find(';', begin), end);
    std::size_t equals =
        std::string_view(text).substr(begin, pairEnd - begin).find('=');
    if (equals != kNotFound) equals += begin;
    if (equals != kNotFound && pairEnd > equals + 1) {
      text.replace(equals + 1, pairEnd - equals - 1, kLogMask);
      end = end - (pairEnd - equals - 1) + kLogMask.size();
      pairEnd = equals + 1 + kLogMask.size();
    }
    if (firstOnly) return;
    begin = pairEnd + 1;
  }
}

// A session cookie, sent or received, logs in as well as the password.
void maskCookies(std::string& text) {
  constexpr std::string_view kSetCookie = kSetCookieHeader;
  constexpr std::string_view kCookie = kCookieHeader;
  for (std::size_t line = 0; line < text.size();) {
    if (startsWithWord(text, line, kSetCookie)) {
      maskCookiePairs(text, line + kSetCookie.size(), true);
    } else if (startsWithWord(text, line, kCookie)) {
      maskCookiePairs(text, line + kCookie.size(), false);
    }
    std::size_t next = text.find('\n', line);
    if (next == kNotFound) return;
    line = next + 1;
  }
}

}  // namespace

std::string maskedForLog(std::string_view message) {
  std::string text(message);
  maskPasswordElements(text);
  maskAuthorization(text);
  maskCookies(text);
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
