// What the debug log masks: password elements of either dialect, the
// credential of an Authorization header, session cookies, and the login's
// secrets.
#include "client/log_mask.h"

#include <gtest/gtest.h>

#include <string>

namespace emclient {
namespace {

TEST(LogMask, PasswordElementsAuthorizationAndCookiesAreMasked) {
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
      // Session cookies, sent or received, any case; a cookie's
      // attributes stay.
      {"POST /ResEltMrtFusion/Tallow HTTP/1.1\nCookie: Corvane-HMMD=ABC\n"
       "Content-Type: text/SOAP",
       "POST /ResEltMrtFusion/Tallow HTTP/1.1\nCookie: Corvane-HMMD=********\n"
       "Content-Type: text/SOAP"},
      {"HTTP/1.0 200 Ok\r\nSet-Cookie: Corvane-HMMD=XYZ; path=/\r\n\r\n",
       "HTTP/1.0 200 Ok\r\nSet-Cookie: Corvane-HMMD=********; path=/\r\n\r\n"},
      {"cookie: a=1; b=2;;c\nset-cookie:x=y",
       "cookie: a=********; b=********;;c\n"
       "set-cookie:x=********"},
      // Nothing else is touched.
      {"<PasswordHint>kept</PasswordHint><password/><x>password</x>",
       "<PasswordHint>kept</PasswordHint><password/><x>password</x>"},
      {" ** Security validation RETRY : Permission denied",
       " ** Security validation RETRY : Permission denied"},
      {"<x>Cookie: y=z</x>\nCookie without a colon=1",
       "<x>Cookie: y=z</x>\nCookie without a colon=1"},
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
