// What the debug log masks: password elements of either dialect, the
// credential of an Authorization header, and the login's secrets.
#include "client/log_mask.h"

#include <gtest/gtest.h>

#include <string>

namespace emclient {
namespace {

TEST(LogMask, PasswordElementsAndAuthorizationAreMasked) {
  const struct {
    const char* message;
    const char* logged;
  } cases[] = {
      {"<UserPassword xsd:type=\"string\">s3cret</UserPassword>"
       "<UserName xsd:type=\"string\">admin</UserName>",
       "<UserPassword xsd:type=\"string\">********</UserPassword>"
       "<UserName xsd:type=\"string\">admin</UserName>"},
      {"<Body><username>admin</username><userpassword>a&amp;b</userpassword>",
       "<Body><username>admin</username><userpassword>********</userpassword>"},
      // Any case, any tag ending in the word, even one left open.
      {"<NEWPASSWORD>x</NEWPASSWORD><oldPassword>y",
       "<NEWPASSWORD>********</NEWPASSWORD><oldPassword>********"},
      {"POST /zorbridge HTTP/1.1\nAuthorization: Basic YWRtaW46c2VjcmV0\n"
       "Content-Type:text/xml",
       "POST /zorbridge HTTP/1.1\nAuthorization: Basic ********\n"
       "Content-Type:text/xml"},
      // A long credential goes on over further lines.
      {"Authorization: Basic QUFB\r\nQkJC\r\n\nContent-Type:text/xml",
       "Authorization: Basic ********\r\n\nContent-Type:text/xml"},
      // Nothing else is touched.
      {"<PasswordHint>kept</PasswordHint><password/><x>password</x>",
       "<PasswordHint>kept</PasswordHint><password/><x>password</x>"},
      {" ** Security validation RETRY : Permission denied",
       " ** Security validation RETRY : Permission denied"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    EXPECT_EQ(c.logged, maskedForLog(c.message));
  }
}

TEST(LogMask, NamedSecretsAreMaskedWherePresent) {
  EXPECT_EQ("Corvane-HMMD=KEYadmin********",
            withoutSecrets("Corvane-HMMD=KEYadmin0123ABCD",
                           {"0123ABCD", "", "admin:pw"}));
}

}  // namespace
}  // namespace emclient
