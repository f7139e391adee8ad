// What the debug log never holds in clear: passwords and what stands for
// them. Each is written as one fixed mask, so a log can be shared to
// diagnose a fault without handing out the credentials.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace emclient {

inline constexpr std::string_view kLogMask = "********";

// `message` with the value of every password element (any tag whose name
// ends in "password", in any case, such as <UserPassword xsd:type=...> or
// <userpassword>), the credential of every "Authorization:" header and
// the cookie values of every "Cookie:" and "Set-Cookie:" header masked.
std::string maskedForLog(std::string_view message);

// `text` with every occurrence of each non-empty secret masked: for the
// login's texts that carry the password, the user:password pair, the
// digests made from them, the session key or the session cookie.
std::string withoutSecrets(std::string_view text,
                           std::initializer_list<std::string_view> secrets);

}  // namespace emclient
