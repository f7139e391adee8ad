// MD5 digests (from the system's message digest library) and Base64.
#pragma once

#include <string>
#include <string_view>

namespace emclient {

// The MD5 digest of `text` as 32 upper-case hexadecimal digits.
std::string md5UpperHex(std::string_view text);

// Base64 with "=" padding and a carriage return and line feed after every
// 76th output character, the last one included.
std::string base64Lines(std::string_view text);

}  // namespace emclient
