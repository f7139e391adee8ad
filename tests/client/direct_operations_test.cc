#include "client/direct_operations.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "client/direct_request.h"
#include "client/disk_exercise.h"
#include "client/emclient_api.h"
#include "client_fixture.h"
#include "loopback_server.h"
#include "support/loopback.h"

namespace emclient {
namespace {

using emclient_test::ClientTest;
using emclient_test::LoopbackServer;
using emclient_test::textTransportAnswer;
using emclient_test::textTransportSession;
using testing_support::loopbackAddress;

const char* kDisks =
    "<objectlist><object><objectid>id-1</objectid><objectname>Disk 010"
    "</objectname><objecthexuid>0x1</objecthexuid></object>"
    "<object><objectid>id-2</objectid><objectname>Disk 011</objectname>"
    "<objecthexuid>0x2</objecthexuid></object>"
    "<object><objectid>id-3</objectid><objectname>Disk 020</objectname>"
    "<objecthexuid>0x3</objecthexuid></object></objectlist>";

std::vector<std::string> names(const ObjectListEntry* list) {
  std::vector<std::string> found;
  for (; list != nullptr; list = list->next) {
    found.push_back(std::string(list->objectId) + "|" + list->objectName + "|" +
                    list->objectHexUid);
  }
  return found;
}

TEST(SystemInfo, ReadsVersionAndBuild) {
  struct Case {
    std::string answer;
    int result;
    std::string version;
    std::string build;
  } cases[] = {
      {"<emversion>4.1</emversion><embuild>77</embuild>", 0, "4.1", "77"},
      {"Error: xmlintr - is not yet supported or known", 0, "2", "unknown"},
      {"<embuild>77</embuild>", 203, "unknown", "unknown"},
      {"<emversion>4.1</emversion>", 203, "4.1", "unknown"},
      {"<emversion>" + std::string(80, 'v') + "</emversion>", 301, "unknown",
       "unknown"},
  };
  for (const Case& c : cases) {
    char version[80] = "unknown";
    char build[80] = "unknown";
    EXPECT_EQ(readSystemInfo(c.answer, version, build), c.result) << c.answer;
    EXPECT_EQ(std::string(version), c.version) << c.answer;
    EXPECT_EQ(std::string(build), c.build) << c.answer;
  }
}

TEST(ObjectList, RecordsAreAppendedInOrder) {
  ObjectListEntry* list = nullptr;
  ASSERT_EQ(appendObjects(kDisks, &list), 0);
  ASSERT_EQ(appendObjects("<objectid>id-9</objectid><objectname>x</objectname>"
                          "<objecthexuid>0x9</objecthexuid>"
                          "<objectid>id-10</objectid><objectname>y"
                          "</objectname>",
                          &list),
            0);
  EXPECT_EQ(names(list),
            (std::vector<std::string>{"id-1|Disk 010|0x1", "id-2|Disk 011|0x2",
                                      "id-3|Disk 020|0x3", "id-9|x|0x9"}));
  EMClientAPITNGFreeObjectList(list);
}

TEST(DiskExercise, NamesAreSplitTrimmedAndMatchedByPrefix) {
  EXPECT_EQ(splitDiskNames(" Disk 010 ,, Disk 02 ,"),
            (std::vector<std::string>{"Disk 010", "Disk 02"}));
  EXPECT_TRUE(splitDiskNames("").empty());

  ObjectListEntry* disks = nullptr;
  ASSERT_EQ(appendObjects(kDisks, &disks), 0);
  std::vector<std::string> ids;
  EXPECT_TRUE(chooseDisks({"Disk 02", "Disk 01"}, disks, ids));
  EXPECT_EQ(ids, (std::vector<std::string>{"id-3", "id-1"}));
  ids.clear();
  EXPECT_TRUE(chooseDisks({}, disks, ids));
  EXPECT_EQ(ids, (std::vector<std::string>{"id-1", "id-2", "id-3"}));
  EXPECT_FALSE(chooseDisks({"Disk 03"}, disks, ids));
  EMClientAPITNGFreeObjectList(disks);
}

TEST(StatusMessage, JoinsUpToTwoDescriptions) {
  struct Case {
    std::string answer;
    std::string message;
  } cases[] = {
      {"<statuscode>0</statuscode><statusdescription>fine</statusdescription>",
       ""},
      {"<statuscode>5</statuscode><statusdescription>busy</statusdescription>",
       "busy "},
      {"<statusdescription>a</statusdescription><statusdescription>b"
       "</statusdescription><statusdescription>c</statusdescription>",
       "a b"},
      {"<statuscode>5</statuscode>", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(statusMessage(c.answer), c.message) << c.answer;
  }
}

class DirectOperations : public ClientTest {};

TEST_F(DirectOperations, StartDiskExerciseSendsTheChosenDisks) {
  const std::string address = loopbackAddress(70);
  LoopbackServer server(address, 12301);
  server.start(textTransportSession(server, [](int index, const std::string&) {
    return textTransportAnswer(
        index == 0 ? std::string(kDisks)
                   : "<statuscode>7</statuscode><statusdescription>Started"
                     "</statusdescription>");
  }));
  char* message = reinterpret_cast<char*>(1);
  ASSERT_EQ(
      EMClientAPITNGStartDiskExercise(address.c_str(), "u", "p",
                                      "Disk 011, Disk 02", "cell-1", &message),
      0);
  ASSERT_NE(message, nullptr);
  EXPECT_STREQ(message, "Started ");
  std::free(message);

  std::vector<std::string> requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_NE(requests[0].find("&lt;getobjectlist&gt;&lt;scellid&gt;cell-1&lt;/"
                             "scellid&gt;&lt;objecttype&gt;disk&lt;/"
                             "objecttype&gt;&lt;/getobjectlist&gt;"),
            std::string::npos);
  EXPECT_NE(requests[1].find("&lt;startdiskexercise&gt;&lt;scellid&gt;cell-1"
                             "&lt;/scellid&gt;&lt;diskid&gt;id-2&lt;/diskid&gt;"
                             "&lt;diskid&gt;id-3&lt;/diskid&gt;&lt;/"
                             "startdiskexercise&gt;"),
            std::string::npos);
  EXPECT_NE(requests[1].find("&lt;tracerequest&gt;always&lt;"),
            std::string::npos);

  message = nullptr;
  EXPECT_EQ(EMClientAPITNGStartDiskExercise(address.c_str(), "u", "p", "Disk 9",
                                            "cell-1", &message),
            500);
  EXPECT_EQ(message, nullptr);
  EXPECT_EQ(server.requests().size(), 3u);  // only the object list
  EXPECT_EQ(EMClientAPITNGStartDiskExercise(address.c_str(), "u", "p", nullptr,
                                            "cell-1", &message),
            300);
}

TEST_F(DirectOperations, SummaryFallsBackToStatusThenDefault) {
  const std::string address = loopbackAddress(71);
  LoopbackServer server(address, 12301);
  server.start(textTransportSession(server, [](int index, const std::string&) {
    const char* answers[] = {
        "<diskexercisesummary>3 disks ok</diskexercisesummary>",
        ("<statuscode>9</statuscode><statusdescription>No run"
         "</statusdescription>"),
        "<statuscode>0</statuscode>"};
    return textTransportAnswer(answers[index % 3]);
  }));
  const char* expected[] = {"3 disks ok", "No run ",
                            "Error: No disk exercise summary (unknown error)."};
  for (const char* text : expected) {
    char* summary = nullptr;
    EXPECT_EQ(EMClientAPITNGDiskExerciseSummary(address.c_str(), "u", "p", "c",
                                                &summary),
              0);
    ASSERT_NE(summary, nullptr);
    EXPECT_STREQ(summary, text);
    std::free(summary);
  }
}

TEST_F(DirectOperations, SystemInfoTakesTheElmPath) {
  emclient_test::ElmScript script;
  script.answer =
      "HTTP/1.1 200 OK\r\n\r\nxmlintr - is not yet supported or known";
  const std::string address = loopbackAddress(72);
  LoopbackServer server(address, 2301);
  server.start(emclient_test::elmSession(server, script));
  writeFile("EMClientAPIPersist.txt", std::string(56, 'P'));
  char version[80];
  char build[80];
  ASSERT_EQ(
      EMClientAPITNGGetSystemInfo(address.c_str(), "u", "p", version, build),
      0);
  EXPECT_STREQ(version, "2");
  EXPECT_STREQ(build, "unknown");
  std::vector<std::string> requests = server.requests();
  ASSERT_EQ(requests.size(), 3u);  // a fresh handshake, then the request
  EXPECT_NE(requests[2].find("<getsysteminfo/>"), std::string::npos);
  EXPECT_NE(
      requests[2].find("<Envelope xmlns='http://tarnwick.example/zorapiv3'>"
                       "<Header><version>3.00</version>"),
      std::string::npos);
  EXPECT_EQ(requests[2].find("<username>"), std::string::npos);
}

TEST(DirectRequest, IsBuiltInOrder) {
  EXPECT_EQ(
      buildDirectRequest(
          {InterfaceVersion::k32, false, "12301", "<discoverstoragecell/>"},
          "mgr", "u&1", "p<2"),
      "POST /ResEltMrtFusion/XMLIntr HTTP/1.1\nHost:mgr:12301\n"
      "Content-Type:text/SOAP\nContent-Length:500\n"
      "SOAPAction:\"urn:Dunmore-Fenwall:BridgeXMLInterface.v3\"\n\n"
      "<Envelope xmlns='http://tarnwick.example/zorapiv32'>"
      "<Header><version>3.2</version>"
      "<application><hostip>123.123.123.123</hostip><hostname>unknown"
      "</hostname><applicationname>EMClientAPITNG</applicationname>"
      "<applicationtype>00</applicationtype></application>"
      "<tracerequest>never</tracerequest><disablevalidation/></Header><Body>"
      "<NsaServerOperation><discoverstoragecell/></NsaServerOperation>"
      "<username>u&amp;1</username><userpassword>p&lt;2</userpassword>"
      "</Body></Envelope>\n");
}

}  // namespace
}  // namespace emclient
