#include "client/login.h"

#include <cerrno>
#include <cstdio>

#include "client/debug_log.h"
#include "client/digest.h"
#include "client/elm_exchange.h"
#include "client/emclient_api.h"
#include "client/error_text.h"
#include "client/exchange_deadline.h"
#include "client/log_mask.h"
#include "client/os_error.h"
#include "client/protocol_names.h"
#include "client/request_rewrite.h"
#include "client/settings.h"
#include "client/text_search.h"
#include "platform/clock.h"
#include "platform/written_files.h"

namespace emclient {
namespace {

constexpr std::size_t kKeyLength = 56;
constexpr const char* kNoSessionFile =
    " ** Cannot open persistent session information file (file may not "
    "exist).";
constexpr int kAttempts = 2;
constexpr uint32_t kAttemptPause = 500;

// The credentials and server of the last login; a change of any of them
// empties the session file, so no cookie is presented to another manager
// or for another user, nor one had over TLS sent in clear. A file that
// could not be emptied then is not used until a later change empties it.
struct LastLogin {
  std::string user;
  std::string password;
  std::string host;
  std::string port;
  bool tls = false;
  bool operator==(const LastLogin&) const = default;
};
LastLogin lastLogin;
bool sessionFileUsable = true;

// The session file holds a cookie that stands for the password: it is
// trusted only as the user's own (written_files.h), so a file planted by
// someone else is never presented nor written.
std::FILE* openSessionFileForWriting() {
  std::FILE* file = platform::openOwnFileForWriting(kSessionFileName);
  if (file == nullptr) rememberOsError(errno);
  return file;
}

std::optional<std::string> persistedCookie() {
  if (!sessionFileUsable) return std::nullopt;
  std::FILE* file = platform::openOwnFileForReading(kSessionFileName);
  if (file == nullptr) return std::nullopt;
  char word[kKeyLength + 1] = {};
  if (std::fscanf(file, "%56s", word) != 1) word[0] = '\0';
  std::fclose(file);
  return std::string(word);
}

void persistCookie(const std::string& cookie) {
  std::FILE* file = openSessionFileForWriting();
  if (file == nullptr) {
    trace(Layer::kElm, 2, kNoSessionFile);
    return;
  }
  bool written = std::fprintf(file, "%56s", cookie.c_str()) >= 0;
  // A cookie cut short by a full disk would only be presented and refused;
  // with the file empty the next login makes its handshake at once.
  if (std::fclose(file) != 0 || !written) emptySessionFile();
}

// The session cookie as a header line: its name, '=' and `value`.
std::string cookieLine(std::string_view value) {
  return std::string(kCookieHeader) + " " + kSessionCookiePrefix +
         std::string(value) + "\n";
}

// One handshake: the session key, then the login request. `failureLine` is
// set when the attempt may be repeated.
int attemptHandshake(ClientRequest& request, const std::string& user,
                     const std::string& password, std::string& sessionAnswer,
                     const char*& failureLine) {
  failureLine = nullptr;
  const std::string host = request.host();
  const std::string port = request.port();
  std::string keyRequest = std::string(kSessionKeyRequestLine) + "\n" +
                           kHostHeader + host + ":" + port + "\n" +
                           kSessionKeyContentType + "\n" +
                           kContentLengthHeader + "0\n\n";
  trace(Layer::kElm, 2, " ** SessionKeyRequest string ->", keyRequest);
  std::string keyAnswer;
  if (int result = exchangeOnElm(host, port, keyRequest, keyAnswer,
                                 {" ** Socket open to request the session key",
                                  " ** Request for the session key sent",
                                  " ** Response with session key received"});
      result != 0) {
    return result;
  }
  std::optional<std::string> key = markedValue(
      keyAnswer, std::string(kSessionKeyParameter) + kSessionCookiePrefix);
  // The log shows every step, but neither the key nor what stands for the
  // password.
  trace(Layer::kElm, 2, " ** SessionKeyResponse string ->",
        key ? withoutSecrets(keyAnswer, {*key}) : keyAnswer);
  if (!key) {
    failureLine = " ** Security validation RETRY : No session key";
    return EMCLIENTAPI_SESSIONKEYNOTFOUND_ERROR;
  }
  if (key->empty()) {
    reportError(EMCLIENTAPI_SESSIONKEYNOTFOUND_ERROR);
    return EMCLIENTAPI_SESSIONKEYNOTFOUND_ERROR;
  }
  LoginDigests digests = loginDigests(*key, user, password);
  std::string_view markedKey =
      std::string_view(digests.cookie).substr(0, key->size());
  auto logged = [&](std::string_view text) {
    return withoutSecrets(text, {digests.pair, digests.pairDigest,
                                 digests.finalDigest, *key, markedKey});
  };
  trace(Layer::kElm, 2, " ** Session key found in session key response ->",
        logged(*key));
  trace(Layer::kElm, 2, " ** Username password pair build for MD5 hashing ->",
        logged(digests.pair));
  trace(Layer::kElm, 2, " ** MD5 hash for username password pair ->",
        logged(digests.pairDigest));
  trace(Layer::kElm, 2, " ** Final security string before MD5 hashing ->",
        logged(digests.finalString));
  trace(Layer::kElm, 2, " ** Final security string MD5 hashed ->",
        logged(digests.finalDigest));
  trace(Layer::kElm, 2,
        " ** Final security cookie with session key and final hashing ->",
        logged(digests.cookie));

  std::string loginRequest =
      std::string(kLoginRequestLine) + "\n" + kLoginAcceptLine + "\n" +
      cookieLine(digests.cookie) + kLoginUserHeader + user + "\n";
  trace(Layer::kElm, 2, " ** Security validation request ->",
        logged(loginRequest));
  if (int result = exchangeOnElm(
          host, port, loginRequest, sessionAnswer,
          {" ** Socket connection open for security validation request",
           " ** Security validation request sent",
           " ** Security validation response received"});
      result != 0) {
    return result;
  }
  trace(Layer::kElm, 2, " ** Security validation response ->", sessionAnswer);
  if (!contains(sessionAnswer, kLoginAccepted)) {
    failureLine = " ** Security validation RETRY : Permission denied";
    return EMCLIENTAPI_PERMISSIONDENIED_ERROR;
  }
  return EMCLIENTAPI_SUCCESS;
}

}  // namespace

std::optional<std::string> markedValue(std::string_view answer,
                                       std::string_view marker) {
  std::size_t start = findMarker(answer, marker);
  if (start == kNotFound) return std::nullopt;
  std::size_t begin = start + marker.size();
  if (answer.size() <= begin + kKeyLength) return std::string();
  std::string_view value = answer.substr(begin, kKeyLength);
  // Nothing of the server's may end a header line of ours.
  if (value.find_first_of("\r\n") != kNotFound) return std::string();
  return std::string(value);
}

LoginDigests loginDigests(std::string_view key, const std::string& user,
                          const std::string& password) {
  LoginDigests digests;
  digests.pair = user + ":" + password;
  digests.pairDigest = md5UpperHex(digests.pair);
  std::string marked(key);
  if (marked.size() >= 24) marked.replace(20, 4, "0071");
  digests.finalString =
      kSessionCookiePrefix + marked + user + digests.pairDigest;
  digests.finalDigest = md5UpperHex(digests.finalString);
  digests.cookie = marked + digests.finalDigest;
  return digests;
}

void applyCookie(ClientRequest& request, std::string_view cookie) {
  std::string text = request.text();
  stripCredentials(text);
  setClientAddress(text);
  fixBodyLength(text);
  std::string line = cookieLine(cookie);
  std::size_t at = findMarker(text, kContentTypeName);
  if (at == kNotFound) {
    at = findMarker(text, "\n");
    at = at == kNotFound ? text.size() : at + 1;
  }
  text.insert(at, line);
  request.setText(std::move(text));
}

bool emptySessionFile() {
  std::FILE* file = openSessionFileForWriting();
  return file != nullptr && std::fclose(file) == 0;
}

int logIn(ClientRequest& request, bool usePersisted) {
  const std::string user =
      credentialValue(request.text(), Credential::kUserName);
  const std::string password =
      credentialValue(request.text(), Credential::kPassword);
  LastLogin current{user, password, request.host(), request.port(),
                    transport().tls};
  if (current != lastLogin) {
    // A cookie that cannot be removed may be another login's: not used.
    sessionFileUsable = emptySessionFile();
    lastLogin = current;
  }

  if (usePersisted) {
    std::optional<std::string> cookie = persistedCookie();
    if (!cookie) {
      trace(Layer::kElm, 2, kNoSessionFile);
    } else if (cookie->size() == kKeyLength) {
      applyCookie(request, *cookie);
      trace(Layer::kElm, 1,
            " ** Persistent security updated request for server ->",
            request.text());
      return EMCLIENTAPI_SUCCESS;
    }
  }

  std::string sessionAnswer;
  for (int attempt = 1;; ++attempt) {
    const char* failureLine = nullptr;
    int result =
        attemptHandshake(request, user, password, sessionAnswer, failureLine);
    if (result == 0) break;
    if (failureLine == nullptr) return result;
    trace(Layer::kElm, 2, failureLine);
    if (attempt == kAttempts) return result;
    platform::pause(boundedWait(kAttemptPause));
  }

  trace(Layer::kElm, 2, " ** User rights validated");
  std::optional<std::string> cookie =
      markedValue(sessionAnswer,
                  std::string(kSetCookieHeader) + " " + kSessionCookiePrefix);
  if (!cookie || cookie->empty()) {
    reportError(EMCLIENTAPI_INVALIDSERVERRESPONSE_ERROR);
    return EMCLIENTAPI_INVALIDSERVERRESPONSE_ERROR;
  }
  // The session cookie logs in without the password.
  trace(Layer::kElm, 2,
        " ** Final security cookie obtained from security validation "
        "response ->",
        withoutSecrets(*cookie, {*cookie}));
  persistCookie(*cookie);
  applyCookie(request, *cookie);
  trace(Layer::kElm, 1, " ** Security updated request for server ->",
        request.text());
  return EMCLIENTAPI_SUCCESS;
}

void resetLogin() {
  lastLogin = LastLogin{};
  sessionFileUsable = true;
}

}  // namespace emclient
