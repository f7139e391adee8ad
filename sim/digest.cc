#include "sim/digest.h"

#include <openssl/evp.h>

namespace sim {

std::string Md5Hex(std::string_view text) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(text.data(), text.size(), digest, &length, EVP_md5(), nullptr);
  static const char kHex[] = "0123456789ABCDEF";
  std::string hex;
  for (unsigned int i = 0; i < length; ++i) {
    hex += kHex[digest[i] >> 4];
    hex += kHex[digest[i] & 15];
  }
  return hex;
}

std::optional<std::string> DecodeBase64(std::string_view text) {
  std::string compact;
  for (char c : text) {
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') compact += c;
  }
  if (compact.size() % 4 != 0) return std::nullopt;
  std::string bytes(compact.size() / 4 * 3, '\0');
  int length =
      EVP_DecodeBlock(reinterpret_cast<unsigned char*>(bytes.data()),
                      reinterpret_cast<const unsigned char*>(compact.data()),
                      static_cast<int>(compact.size()));
  if (length < 0) return std::nullopt;
  // EVP_DecodeBlock counts the padding as decoded zero bytes.
  size_t padding = 0;
  if (!compact.empty() && compact.back() == '=') ++padding;
  if (compact.size() > 1 && compact[compact.size() - 2] == '=') ++padding;
  bytes.resize(static_cast<size_t>(length) - padding);
  return bytes;
}

std::string EncodeBase64(std::string_view bytes) {
  std::string text((bytes.size() + 2) / 3 * 4 + 1, '\0');
  int length =
      EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()),
                      reinterpret_cast<const unsigned char*>(bytes.data()),
                      static_cast<int>(bytes.size()));
  text.resize(static_cast<size_t>(length));
  return text;
}

}  // namespace sim
