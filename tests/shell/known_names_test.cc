// TAB completion offers, at a value position, the names of that kind of
// object that the session already holds and, at the prompt, those of one
// list request per kind and command line; nothing where a new object is
// named, and nothing that waits on a manager which does not answer.
#include "shell/known_names.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

#include "client/emclient_api.h"
#include "client/settings.h"
#include "language/grammar.h"
#include "request/name_fetch.h"
#include "request/object_kinds.h"
#include "sim_fixture.h"
#include "support/loopback.h"

namespace shell {
namespace {

using namespace request;

using Names = std::vector<std::string>;
using testing_support::loopbackAddress;

Names offered(session::CommandContext& context, ListedNames& listed,
              const char* line) {
  Names texts;
  for (const auto& candidate :
       language::complete(language::rootList(), line,
                          knownObjectNames(context, listed))
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
  session::ObjectToken host{nullptr, kHosts, hostName, hostId};
  session::ObjectToken vdisk{&host, kVdisks, vdiskName, vdiskId};
  session::SessionState session{};
  session.tokenList = &vdisk;
  session::CommandContext context{};
  context.session = &session;
  ListedNames listed;

  EXPECT_EQ((Names{"FULL", "NOFULL", "web01"}),
            offered(context, listed, "SHOW HOST "));
  EXPECT_EQ(Names{"web01"}, offered(context, listed, "ADD LUN 5 HOST=w"));
  EXPECT_EQ(Names{"web01"}, offered(context, listed, "DELETE HOST w"));
  EXPECT_EQ(Names{"\"\\Virtual Disks\\"},
            offered(context, listed, "ADD LUN 5 VDISK=\\"));
  // New names: of an object being added, or given to one.
  EXPECT_EQ(Names{}, offered(context, listed, "ADD HOST w"));
  EXPECT_EQ(Names{}, offered(context, listed, "SET HOST web01 NAME=w"));
  EXPECT_EQ(Names{}, offered(context, listed, "SELECT MANAGER w"));
}

TEST(KnownNames, ListAnswersGiveTheirNamesVerbatim) {
  Names names;
  readListedNames(
      "<m:getResponse><ArrayOfString xsd:type=\"u:string[2,3]\">\n"
      "<Name>\\Hosts\\a b</Name>\n<ID>1</ID>\n"
      "<ElementName>Cell &amp; co</ElementName>\n<ElementID>2</ElementID>\n"
      "<Name></Name>\n<ID>3</ID>\n<NameX>no</NameX>\n<Name>cut",
      names);
  EXPECT_EQ((Names{"\\Hosts\\a b", "Cell &amp; co"}), names);
}

class KnownNamesAtThePrompt : public request_test::SimFixture {
 protected:
  void SetUp() override {
    SimFixture::SetUp();
    session::runMode = session::RunMode::kInteractive;
  }

  // How many list requests of the element type the simulator served.
  long asked(const std::string& type) {
    Names lines = requests();
    return std::count(lines.begin(), lines.end(),
                      "12301 POST /zorbridge admin Get " + type + " -> ok");
  }

  ListedNames listed_;
};

TEST_F(KnownNamesAtThePrompt, TheManagerIsAskedOncePerKindAndLine) {
  startSim(loopbackAddress(124));
  session::WorkArea before = session_.work;

  EXPECT_EQ((Names{"\"\\Virtual Disks\\v1\\", "\"\\Virtual Disks\\v2\\"}),
            offered(context_, listed_, "SHOW VDISK \"\\Virtual Disks\\"));
  EXPECT_EQ(Names{"\"\\Virtual Disks\\v1\\ACTIVE\""},
            offered(context_, listed_, "SHOW VDISK \"\\Virtual Disks\\v1\\A"));
  EXPECT_EQ(Names{"\\Hosts\\h2"},
            offered(context_, listed_, "ADD LUN 5 HOST=\\Hosts\\h2"));
  EXPECT_EQ(asked("Storage"), 1);
  EXPECT_EQ(asked("StorageClient"), 1);

  listed_ = {};  // the next command line
  offered(context_, listed_, "DELETE VDISK \\");
  EXPECT_EQ(asked("Storage"), 2);

  // Quietly, and leaving the session as it was: no tokens, no work area.
  EXPECT_EQ(output(), "");
  EXPECT_EQ(session_.tokenList, nullptr);
  EXPECT_EQ(session_.work.requestBuffer, before.requestBuffer);
  EXPECT_EQ(session_.work.responseText, before.responseText);
  EXPECT_EQ(session_.work.currentLabel, before.currentLabel);
}

TEST_F(KnownNamesAtThePrompt, NeverWhileAScriptRuns) {
  startSim(loopbackAddress(125));
  session::runMode = session::RunMode::kScript;
  EXPECT_EQ(Names{}, offered(context_, listed_, "SHOW VDISK \\"));
  EXPECT_EQ(asked("Storage"), 0);
}

// A manager that takes the connection and never answers: the kernel
// accepts for a listener that never calls accept().
TEST_F(KnownNamesAtThePrompt, ASilentManagerIsGivenUpOnQuietly) {
  int listener = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(listener, 0);
  int on = 1;
  setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(12301);
  inet_pton(AF_INET, loopbackAddress(126).c_str(), &address.sin_addr);
  ASSERT_EQ(
      bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 4), 0);
  selectManager((loopbackAddress(126) + ":12301").c_str(), "admin", "secret");
  selectSystem();
  EMClientAPITNGSetWaitForever(1);

  EXPECT_EQ(Names{}, offered(context_, listed_, "SHOW VDISK \\"));
  EXPECT_EQ(Names{}, offered(context_, listed_, "SHOW VDISK \"\\"));
  EXPECT_EQ(output(), "");
  // The commands after it wait as they did before.
  EXPECT_EQ(emclient::settings(emclient::Layer::kFront).waitForever, 1);
  EXPECT_EQ(emclient::settings(emclient::Layer::kElm).waitForever, 1);
  EMClientAPITNGSetWaitForever(0);
  close(listener);
}

}  // namespace
}  // namespace shell
