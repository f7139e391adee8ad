#include "client/digest.h"

#include <md5.h>

namespace emclient {

std::string md5UpperHex(std::string_view text) {
  MD5_CTX context;
  MD5Init(&context);
  MD5Update(&context, reinterpret_cast<const uint8_t*>(text.data()),
            text.size());
  uint8_t digest[MD5_DIGEST_LENGTH];
  MD5Final(digest, &context);
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(2 * MD5_DIGEST_LENGTH);
  for (uint8_t byte : digest) {
    hex.push_back(kDigits[byte >> 4]);
    hex.push_back(kDigits[byte & 0x0F]);
  }
  return hex;
}

std::string base64Lines(std::string_view text) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  constexpr std::size_t kLineLength = 76;
  std::string lines;
  std::size_t written = 0;
  auto put = [&](char c) {
    lines.push_back(c);
    if (++written % kLineLength == 0) lines.append("\r\n");
  };
  for (std::size_t at = 0; at < text.size(); at += 3) {
    std::size_t left = text.size() - at;
    uint32_t group = static_cast<uint32_t>(static_cast<uint8_t>(text[at]))
                     << 16;
    if (left > 1)
      group |= static_cast<uint32_t>(static_cast<uint8_t>(text[at + 1])) << 8;
    if (left > 2) group |= static_cast<uint8_t>(text[at + 2]);
    put(kAlphabet[(group >> 18) & 0x3F]);
    put(kAlphabet[(group >> 12) & 0x3F]);
    put(left > 1 ? kAlphabet[(group >> 6) & 0x3F] : '=');
    put(left > 2 ? kAlphabet[group & 0x3F] : '=');
  }
  return lines;
}

}  // namespace emclient
