#include "request/object_requests.h"

#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "request/outcome.h"
#include "request/pending_properties.h"
#include "request/request_envelope.h"
#include "request/response_parser.h"
#include "request/send_request.h"
#include "sim_fixture.h"
#include "support/loopback.h"

namespace request_test {
namespace {

using namespace request;
using testing_support::loopbackAddress;

// Standard input holds `answer` while it lives.
class TypedAnswer {
 public:
  explicit TypedAnswer(const std::string& answer) {
    int pipeEnds[2];
    EXPECT_EQ(pipe(pipeEnds), 0);
    EXPECT_EQ(write(pipeEnds[1], answer.data(), answer.size()),
              static_cast<ssize_t>(answer.size()));
    close(pipeEnds[1]);
    saved_ = dup(0);
    dup2(pipeEnds[0], 0);
    close(pipeEnds[0]);
    std::clearerr(stdin);
  }
  ~TypedAnswer() {
    dup2(saved_, 0);
    close(saved_);
    std::clearerr(stdin);
  }

 private:
  int saved_;
};

const std::string kQuestion =
    "\n\nAre you sure you wish to execute this command?\n"
    "If so, type \"Yes\" (Note: case sensititve) ";
const std::string kVdiskLuns =
    "\nError: Cannot delete Vdisks when LUNs are still present.\n"
    "       Delete all LUNS associated with this STORAGE first";
const std::string kVdiskWarning =
    "\nThis command will also delete all LUNs associated with this storage!";
const std::string kSystemVdisks =
    "\nError: Cannot delete system when Vdisks are still present.\n"
    "       Delete all storage on this cell first";
const std::string kSystemWarning =
    "\nThis command will destroy all customer data and delete all "
    "configuration\ninformation (GROUPS, STORAGE, HOSTS and LUNs) on this "
    "cell!";

const std::string kListVdisks = "12301 POST /zorbridge admin Get Storage -> ok";
const std::string kGetV1 =
    "12301 POST /zorbridge admin getproperties virtualdisk -> ok";

class ObjectRequestsTest : public SimFixture {
 protected:
  void name(const char* object) {
    session::release(session_.work.objectNameArg);
    session_.work.objectNameArg = copy(object);
    session_.work.resultFlags = 0;
  }
};

TEST_F(ObjectRequestsTest, SafeDeleteRefusesWhatWouldTakeOthersAlong) {
  startSim(loopbackAddress(114));
  name("\\Virtual Disks\\v1\\ACTIVE");
  EXPECT_EQ(DeleteObject(context_, kVdisks), 1);
  EXPECT_EQ(output(), kVdiskLuns);
  name("Alpha");
  EXPECT_EQ(DeleteObject(context_, kSystems), 1);
  EXPECT_EQ(output(), kSystemVdisks);
  // Nothing was deleted: only lists and the one detail were asked for.
  EXPECT_EQ(requests(),
            (std::vector<std::string>{
                kListVdisks, kGetV1,
                "12301 POST /zorbridge admin Get Element -> ok", kListVdisks}));
}

// An unpresented virtual disk goes without a question.
TEST_F(ObjectRequestsTest, AnUnpresentedVirtualDiskIsDeletedAtOnce) {
  startSim(loopbackAddress(115));
  session::runMode = session::RunMode::kInteractive;
  name("\\Virtual Disks\\v2\\ACTIVE");
  EXPECT_EQ(DeleteObject(context_, kVdisks), 0);
  EXPECT_EQ(output(), "");
  EXPECT_EQ(session_.work.resultFlags, session::kServerSuccess);
  EXPECT_EQ(requests().back(),
            "12301 POST /zorbridge admin Delete Storage -> ok");
}

TEST_F(ObjectRequestsTest, WithoutSafeDeleteThePromptAsksFirst) {
  startSim(loopbackAddress(116));
  session::sessionOptions.safeDelete = false;
  session::runMode = session::RunMode::kInteractive;
  name("\\Virtual Disks\\v1\\ACTIVE");
  {
    TypedAnswer answer("yes\n");
    EXPECT_EQ(DeleteObject(context_, kVdisks), 1);
  }
  EXPECT_EQ(output(), kVdiskWarning + kQuestion + "\nCommand aborted\n");
  EXPECT_EQ(requests().size(), 2u);

  // Confirmed, the request goes, and the disk goes with its LUN.
  {
    TypedAnswer answer("Yes\n");
    EXPECT_EQ(DeleteObject(context_, kVdisks), 0);
  }
  EXPECT_EQ(output(), kVdiskWarning + kQuestion);
  EXPECT_EQ(session_.work.resultFlags, session::kServerSuccess);
  EXPECT_EQ(requests().back(),
            "12301 POST /zorbridge admin Delete Storage -> ok");
}

// Scripts and program arguments are not asked.
TEST_F(ObjectRequestsTest, WithoutSafeDeleteScriptsGoAheadUnasked) {
  startSim(loopbackAddress(117));
  session::sessionOptions.safeDelete = false;
  session::runMode = session::RunMode::kScript;
  name("Alpha");
  DeleteObject(context_, kSystems);
  EXPECT_EQ(output().find(kQuestion), std::string::npos);
  EXPECT_EQ(requests().back().rfind("12301 POST /zorbridge admin Delete "
                                    "Element -> ",
                                    0),
            0u);
}

TEST_F(ObjectRequestsTest, SetReportsSuccessAndFailureAnswers) {
  startSim(loopbackAddress(118));
  name("\\Hosts\\h1");
  PutProperty(context_, "comments", "changed");
  EXPECT_EQ(SetObjectProperties(context_, kHosts), 0);
  EXPECT_EQ(output(), "");
  EXPECT_EQ(session_.work.resultFlags, session::kServerSuccess);

  // h2 exists: the server refuses, the message is printed and the FAILURE
  // bit set, but the handler itself succeeds.
  session_.work.resultFlags = 0;
  PutProperty(context_, "Name", "h2");
  EXPECT_EQ(SetObjectProperties(context_, kHosts), 0);
  EXPECT_EQ(output(), "\nError: Name already in use: h2");
  EXPECT_EQ(session_.work.resultFlags, session::kServerFailure);

  name("\\Hosts\\h9");
  EXPECT_EQ(SetObjectProperties(context_, kHosts), 1);
  EXPECT_EQ(output(), "\nError: \\Hosts\\h9 not found");

  session::release(session_.work.objectNameArg);
  session_.work.objectNameArg = nullptr;
  EXPECT_EQ(SetObjectProperties(context_, kHosts), 1);
  EXPECT_EQ(output(), "\nError: Incomplete command");
}

// An empty answer (the library calls it retry-worthy) judged after no
// retries holds neither message.
TEST_F(ObjectRequestsTest, AnAnswerWithNeitherMessageFails) {
  startSim(loopbackAddress(119), {"empty:1"});
  session::sessionOptions.retries = 0;
  BeginV1Request(context_, "Set", "StorageClient");
  PutProperty(context_, "ElementID", session_.systemId);
  PutProperty(context_, "ID", "140000010000000000000000000000000000000E");
  EmitV1Properties(context_);
  EndV1Request(context_);
  ASSERT_EQ(SendRequest(context_), 0);
  ASSERT_EQ(ParseResponseText(context_), 0);
  EXPECT_EQ(CheckOutcome(context_), 1);
  EXPECT_EQ(output(),
            "\nError: Neither SUCCESS nor FAILURE were returned by this "
            "command");
  EXPECT_EQ(session_.work.resultFlags, 0u);
}

}  // namespace
}  // namespace request_test
