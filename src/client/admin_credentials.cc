#include "client/admin_credentials.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "client/text_search.h"
#include "platform/files.h"

namespace emclient {
namespace {

constexpr const char* kDefaultPath = "/etc/corvane/wbem/MRTHMMD.ACL";
constexpr std::size_t kLineLimit = 269;
constexpr std::size_t kUserNameOffset = 7;
constexpr std::size_t kPasswordOffset = 199;

std::string cachedPassword;
std::optional<platform::FileIdentity> readIdentity;

// One line of at most kLineLimit bytes, through its line feed; zero bytes
// are kept, so the fields can end at them.
bool readLine(std::FILE* file, std::string& line) {
  line.clear();
  int c = 0;
  while (line.size() < kLineLimit && (c = std::fgetc(file)) != EOF) {
    line.push_back(static_cast<char>(c));
    if (c == '\n') break;
  }
  return !line.empty();
}

// The bytes from `offset` up to the first zero byte or the line's end.
std::string_view field(std::string_view line, std::size_t offset) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
    line.remove_suffix(1);
  }
  if (offset >= line.size()) return {};
  std::string_view rest = line.substr(offset);
  return rest.substr(0, rest.find('\0'));
}

}  // namespace

std::string accessControlFilePath() {
  const char* path = std::getenv("EMCLIENTAPI_ACL_FILE");
  return path != nullptr && *path != '\0' ? path : kDefaultPath;
}

std::string administratorPassword() {
  std::string path = accessControlFilePath();
  std::optional<platform::FileIdentity> identity =
      platform::fileIdentity(path.c_str());
  if (!identity) return cachedPassword;
  if (readIdentity == identity) return cachedPassword;
  std::FILE* file = platform::openForReading(path.c_str());
  if (file == nullptr) return cachedPassword;
  std::string line;
  while (readLine(file, line)) {
    if (field(line, kUserNameOffset) == "administrator") {
      cachedPassword = field(line, kPasswordOffset);
      break;
    }
  }
  std::fclose(file);
  readIdentity = identity;
  return cachedPassword;
}

void addAdministratorCredentials(ClientRequest& request) {
  // Escaped like every value of a request, so reading it back decodes it.
  std::string password =
      replaceAll(replaceAll(replaceAll(administratorPassword(), "&", "&amp;"),
                            "<", "&lt;"),
                 ">", "&gt;");
  std::string text = request.text();
  std::size_t body = findMarker(text, "<Body>");
  if (body != kNotFound) {
    text.insert(body + 6, "<username>administrator</username><userpassword>" +
                              password + "</userpassword>");
  } else {
    std::size_t soapBody = findMarker(text, "<SOAP:Body");
    if (soapBody == kNotFound) return;
    text.insert(soapBody + 10,
                "<UserName xsd:type=\"string\">administrator</UserName>"
                "<UserPassword xsd:type=\"string\">" +
                    password + "</UserPassword>");
  }
  request.setText(std::move(text));
}

void resetAdministratorPassword() {
  cachedPassword.clear();
  readIdentity.reset();
}

}  // namespace emclient
