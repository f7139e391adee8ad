// What SELECT MANAGER keeps of a typed address, and what the requests and
// the direct operations take from what it kept.
#include "request/manager_address.h"

#include <gtest/gtest.h>

#include <string>

namespace request {
namespace {

TEST(ManagerAddress, KeptWithItsPortAndScheme) {
  const struct {
    const char* typed;
    const char* kept;
    bool tls;
    const char* hostAndPort;
    const char* host;
  } cases[] = {
      // As it always was: a port is added only to a text without a colon.
      {"10.0.0.5", "10.0.0.5:12301", false, "10.0.0.5:12301", "10.0.0.5"},
      {"10.0.0.5:2301", "10.0.0.5:2301", false, "10.0.0.5:2301", "10.0.0.5"},
      {"eva", "eva:12301", false, "eva:12301", "eva"},
      {"", ":12301", false, ":12301", ""},
      {"https://eva", "https://eva:12301", true, "eva:12301", "eva"},
      {"HTTPS://eva:443", "https://eva:443", true, "eva:443", "eva"},
      {"http://eva", "http://eva:12301", false, "eva:12301", "eva"},
      {"[fd00::5]", "[fd00::5]:12301", false, "[fd00::5]:12301", "[fd00::5]"},
      {"[::1]:2301", "[::1]:2301", false, "[::1]:2301", "[::1]"},
      {"https://[::1]", "https://[::1]:12301", true, "[::1]:12301", "[::1]"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    std::string kept;
    std::string error;
    ASSERT_TRUE(completeManagerAddress(c.typed, kept, error)) << error;
    EXPECT_EQ(c.kept, kept);
    EXPECT_EQ(c.tls, managerUsesTls(kept));
    EXPECT_EQ(c.hostAndPort, managerHostAndPort(kept));
    EXPECT_EQ(c.host, managerHost(kept));
  }
}

// A plain address is kept as it always was, whatever it holds; after a
// scheme only a host and port may stand.
TEST(ManagerAddress, AmbiguousOrBrokenIpv6OrMoreThanAHostIsRefused) {
  for (const char* typed :
       {"fd00::5", "::1", "fd00::5:2301", "https://fd00::5", "[fd00::5",
        "[::1]x", "[::1]2301", "https://admin:pw@eva", "https://eva/",
        "https://", "http://:2301", "https://eva?x", "https://eva#x"}) {
    SCOPED_TRACE(typed);
    std::string kept = "unchanged";
    std::string error;
    EXPECT_FALSE(completeManagerAddress(typed, kept, error));
    EXPECT_EQ("unchanged", kept);
    EXPECT_EQ(0u, error.find(std::string("\nError: Manager address ") + typed))
        << error;
  }
}

}  // namespace
}  // namespace request
