#include "client/digest.h"

#include <openssl/evp.h>

#include <vector>

namespace emclient {

std::string md5UpperHex(std::string_view text) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(text.data(), text.size(), digest, &length, EVP_md5(), nullptr);
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(std::size_t{2} * length);
  for (unsigned int at = 0; at < length; ++at) {
    hex.push_back(kDigits[digest[at] >> 4]);
    hex.push_back(kDigits[digest[at] & 0x0F]);
  }
  return hex;
}

std::string base64Lines(std::string_view text) {
  constexpr std::size_t kLineLength = 76;
  std::vector<unsigned char> encoded(4 * ((text.size() + 2) / 3) + 1);
  int length = EVP_EncodeBlock(
      encoded.data(), reinterpret_cast<const unsigned char*>(text.data()),
      static_cast<int>(text.size()));
  std::string lines;
  lines.reserve(length + 2 * (length / kLineLength));
  for (int at = 0; at < length; ++at) {
    lines.push_back(static_cast<char>(encoded[at]));
    if ((at + 1) % kLineLength == 0) lines.append("\r\n");
  }
  return lines;
}

}  // namespace emclient
