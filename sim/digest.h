// MD5 and Base64, the two algorithms of the manager's authorization schemes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sim {

// The MD5 digest of `text` as 32 upper-case hexadecimal digits.
std::string Md5Hex(std::string_view text);

// Decodes standard Base64; blanks, tabs, carriage returns and line feeds in
// the input are skipped. Nothing when the text is not valid Base64.
std::optional<std::string> DecodeBase64(std::string_view text);

// Standard Base64 with "=" padding and no line breaks.
std::string EncodeBase64(std::string_view bytes);

}  // namespace sim
