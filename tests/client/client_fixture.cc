#include "client_fixture.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "client/admin_credentials.h"
#include "client/connection_pool.h"
#include "client/debug_log.h"
#include "client/login.h"
#include "client/settings.h"
#include "platform/sockets.h"

namespace emclient_test {

void ClientTest::SetUp() {
  for (const char* name :
       {"FILE_NAME", "FILE_SIZE", "LOG_LEVEL", "EMCLIENTAPI_ACL_FILE"}) {
    unsetenv(name);
  }
  char pattern[] = "/tmp/emclient-test-XXXXXX";
  directory = mkdtemp(pattern);
  char current[4096];
  previousDirectory_ = getcwd(current, sizeof current);
  ASSERT_EQ(chdir(directory.c_str()), 0);
  emclient::resetSettings();
  emclient::resetDebugLog();
  emclient::resetLogin();
  emclient::resetAdministratorPassword();
  emclient::connectionPool().empty();
  platform::installClock(&clock);
}

void ClientTest::TearDown() {
  // Tests outside the fixture run in the build folder: leave nothing on
  // that would write a log there.
  emclient::resetSettings();
  emclient::resetDebugLog();
  emclient::connectionPool().empty();
  platform::installClock(nullptr);
  platform::installReadableWaiter(nullptr);
  ASSERT_EQ(chdir(previousDirectory_.c_str()), 0);
  std::filesystem::remove_all(directory);
}

std::string ClientTest::readFile(const std::string& name) {
  std::ifstream file(name, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

void ClientTest::writeFile(const std::string& name, const std::string& text) {
  std::ofstream(name, std::ios::binary) << text;
}

std::string xmlRequest(const std::string& hostAndPort, const std::string& user,
                       const std::string& password,
                       const std::string& operation) {
  return "POST /ResEltMrtFusion/XMLIntr HTTP/1.1\nHost:" + hostAndPort +
         "\nContent-Type:text/SOAP\nContent-Length:500\n\n"
         "<Envelope xmlns='http://www.tarnwick.example/zorapiv32'><Header>"
         "<version>3.2</version></Header><Body>" +
         operation + "<username>" + user + "</username><userpassword>" +
         password + "</userpassword></Body></Envelope>\n";
}

}  // namespace emclient_test
