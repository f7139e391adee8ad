// The two ways a user proves the password: Basic credentials with the
// digest of "user:password", and the login with digests over a session key.
#include <gtest/gtest.h>

#include "sim/digest.h"
#include "sim/service.h"

namespace {

sim::Model TwoUsers() {
  sim::Model model;
  model.users = {{"administrator", "admin"}, {"operator", "op"}};
  return model;
}

std::string LoginCookie(std::string_view key, const std::string& user,
                        const std::string& password) {
  std::string marked = sim::MarkSessionKey(key);
  return marked + sim::Md5Hex("Corvane-HMMD=" + marked + user +
                              sim::Md5Hex(user + ":" + password));
}

TEST(Login, BasicCredentialsCarryTheDigest) {
  sim::Service service(TwoUsers());
  std::string digest = sim::Md5Hex("operator:op");
  EXPECT_TRUE(service.Authenticate("operator", digest));
  EXPECT_TRUE(
      service.Authenticate("administrator", "admin"));  // local plain form
  EXPECT_FALSE(service.Authenticate("administrator", digest));
  EXPECT_FALSE(service.Authenticate("operator", sim::Md5Hex("operator:wrong")));
  EXPECT_FALSE(service.Authenticate("nobody", sim::Md5Hex("nobody:")));
  EXPECT_FALSE(service.Authenticate("operator", ""));
}

TEST(Login, SessionKeyLoginGivesACookieOnce) {
  sim::Service service(TwoUsers());
  std::string key = service.IssueSessionKey();
  ASSERT_EQ(key.size(), 56u);
  EXPECT_EQ(sim::MarkSessionKey(key).substr(20, 4), "0071");
  EXPECT_EQ(sim::MarkSessionKey(key).substr(0, 20), key.substr(0, 20));
  std::optional<std::string> cookie =
      service.Login("operator", LoginCookie(key, "operator", "op"));
  ASSERT_TRUE(cookie);
  EXPECT_EQ(cookie->size(), 56u);
  EXPECT_EQ(service.SessionUser(*cookie), "operator");
  // A key is good for one login only.
  EXPECT_FALSE(service.Login("operator", LoginCookie(key, "operator", "op")));
}

TEST(Login, RefusesWrongPasswordsKeysAndUsers) {
  sim::Service service(TwoUsers());
  EXPECT_FALSE(service.Login(
      "operator", LoginCookie(service.IssueSessionKey(), "operator", "bad")));
  EXPECT_FALSE(service.Login(
      "operator", LoginCookie(std::string(56, 'F'), "operator", "op")));
  EXPECT_FALSE(service.Login(
      "ghost", LoginCookie(service.IssueSessionKey(), "ghost", "")));
  EXPECT_FALSE(service.Login("operator", "short"));
  EXPECT_FALSE(service.SessionUser(std::string(56, '0')));
}

TEST(Login, DigestsAreUpperCaseHexadecimal) {
  EXPECT_EQ(sim::Md5Hex(""), "D41D8CD98F00B204E9800998ECF8427E");
  EXPECT_EQ(sim::EncodeBase64("administrator:x"), "YWRtaW5pc3RyYXRvcjp4");
  EXPECT_EQ(sim::DecodeBase64("YWRt\r\naW4="), "admin");
  EXPECT_FALSE(sim::DecodeBase64("@@@@"));
}

}  // namespace
