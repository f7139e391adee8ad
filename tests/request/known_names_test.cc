// TAB completion offers, at a value position, the names of that kind of
// object that the session already holds, and nothing where a new object is
// named.
#include "request/known_names.h"

#include <gtest/gtest.h>

#include "language/grammar.h"
#include "request/object_kinds.h"

namespace request {
namespace {

std::vector<std::string> offered(const shell::SessionState& session,
                                 const char* line) {
  std::vector<std::string> texts;
  for (const auto& candidate :
       language::complete(language::rootList(), line,
                          knownObjectNames(session))
           .candidates) {
    texts.push_back(candidate.text);
  }
  return texts;
}

TEST(KnownNames, OfferTheTokensOfTheKindTheLineNames) {
  char vdiskName[] = "\\Virtual Disks\\a\\ACTIVE";
  char vdiskId[] = "1";
  char hostName[] = "web01";
  char hostId[] = "2";
  shell::ObjectToken host{nullptr, kHosts, hostName, hostId};
  shell::ObjectToken vdisk{&host, kVdisks, vdiskName, vdiskId};
  shell::SessionState session{};
  session.tokenList = &vdisk;

  using Names = std::vector<std::string>;
  EXPECT_EQ((Names{"FULL", "NOFULL", "web01"}), offered(session, "SHOW HOST "));
  EXPECT_EQ(Names{"web01"}, offered(session, "ADD LUN 5 HOST=w"));
  EXPECT_EQ(Names{"web01"}, offered(session, "DELETE HOST w"));
  EXPECT_EQ(Names{}, offered(session, "ADD HOST w"));
  EXPECT_EQ(Names{}, offered(session, "SELECT MANAGER w"));
  Names vdisks = offered(session, "ADD LUN 5 VDISK=\\");
  ASSERT_EQ(1u, vdisks.size());
  EXPECT_NE(std::string::npos, vdisks[0].find("ACTIVE"));
}

}  // namespace
}  // namespace request
