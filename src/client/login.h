// The ELM path's login: a session key from the login page, a cookie made of
// digests over it and the credentials, and the session cookie the server
// answers with, kept in the persistent session file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "client/client_request.h"

namespace emclient {

// The persistent session file, "EMClientAPIPersist.txt" in the current
// directory. Read and written only as the user's own file, no link,
// readable by its owner only; anything else is left alone, and logins
// then make their handshake every time.
inline constexpr const char* kSessionFileName = "EMClientAPIPersist.txt";

// Logs in for `request` and adds the session cookie to it. With
// `usePersisted`, a cookie from the session file is taken when there is
// one. 0, 201, 202, 203 or a connection code.
int logIn(ClientRequest& request, bool usePersisted);

// Strips the credentials, sets the client address and the body length and
// adds the "Cookie:" line.
void applyCookie(ClientRequest& request, std::string_view cookie);

// Empties the session file, so the next login makes a handshake. False
// when it could not (refused included).
bool emptySessionFile();

// The 56 characters after `marker` in `answer`: nullopt without the marker;
// an empty text when the answer ends within them or they hold a line break.
std::optional<std::string> markedValue(std::string_view answer,
                                       std::string_view marker);

// The steps from a session key to the cookie of the login request: the
// key with its characters 21 to 24 replaced by "0071", followed by the MD5
// digest of the cookie's name and '=' (kSessionCookiePrefix), that marked
// key, the user name and the digest of "user:password".
struct LoginDigests {
  std::string pair;         // "user:password"
  std::string pairDigest;   // MD5 of pair
  std::string finalString;  // cookie prefix, marked key, user, pairDigest
  std::string finalDigest;  // MD5 of finalString
  std::string cookie;       // marked key and finalDigest, 88 characters
};
LoginDigests loginDigests(std::string_view key, const std::string& user,
                          const std::string& password);

// Forgets the last credentials and server, for tests.
void resetLogin();

}  // namespace emclient
