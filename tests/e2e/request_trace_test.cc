// DEBUG DUMP: every request as the request layer built it and every
// answer as it came back, around the command's own output.
#include <gtest/gtest.h>

#include "request_sim_session.h"
#include "support/loopback.h"

namespace e2e {
namespace {

using testing_support::loopbackAddress;

std::string sent(const std::string& request) {
  return "\nSend SOAP command:++++++++++++++++++++\n\n*****" + request +
         "*****\n\n";
}

std::string received(const std::string& answer) {
  return "\nSOAP response:--------------------\nLength of buffer = " +
         std::to_string(answer.size()) + "\n\n*****" + answer + "*****\n\n";
}

const std::string kSystemId = "1000000100000000000000000000000000000000";

// The list of all hosts: ID empty, then ElementID, the credentials and the
// element type, in the order the properties were put.
TEST(RequestTrace, TheHostListRequestAndItsAnswer) {
  SimSession sim(loopbackAddress(105), kRequestScenario, {"--log-properties"});
  REQUIRE_SIM(sim);
  auto run = runArguments(withManager(
      sim.address(), {"SELECT SYSTEM Alpha", "DEBUG DUMP", "SHOW HOST"}));
  EXPECT_OUTPUT(
      managerEcho(sim.address()) + echo("SELECT SYSTEM Alpha") +
          echo("DEBUG DUMP", "Alpha") + echo("SHOW HOST", "Alpha") +
          sent("POST /ResEltMrtFusion/Tallow HTTP/1.1\n"
               "Host:" +
               loopbackAddress(105) +
               ":12301\n"
               "Content-Type: text/SOAP\n"
               "Content-Length:  546\n"
               "SOAP Action:\"Get\"\n"
               "\n"
               "<SOAP:Envelope "
               "xmlns:SOAP=\"urn:schemas-xmlsoap-org:soap.v1\">\n"
               "<SOAP:Body=corvane-fenmoor:zorapi.v1>\n"
               "<m:Get xmlns:m=\"TALLOW-URI\">\n"
               "<ID xsd:type=\"string\"></ID>\n"
               "<ElementID xsd:type=\"string\">" +
               kSystemId +
               "</ElementID>\n"
               "<UserPassword xsd:type=\"string\">secret</UserPassword>\n"
               "<UserName xsd:type=\"string\">admin</UserName>\n"
               "<Type xsd:type=\"string\">StorageClient</Type>\n"
               "</m:Get>\n"
               "</SOAP:Body>\n"
               "</SOAP:Envelope>\n") +
          received("<SOAP:Envelope "
                   "xmlns:SOAP=\"urn:schemas-xmlsoap-org:soap.v1\">\n"
                   "<SOAP:Body=corvane-fenmoor:zorapi.v1>\n"
                   "<m:getResponse xmlns:m=\"TALLOW-URI\">\n"
                   "<ArrayOfString xsd:type=\"u:string[2,3]\">\n"
                   "<Name>\\Hosts\\h1</Name>\n"
                   "<ID>140000010000000000000000000000000000000E</ID>\n"
                   "<Name>\\Hosts\\h2</Name>\n"
                   "<ID>140000010000000000000000000000000000000F</ID>\n"
                   "<Name>\\Hosts\\h3</Name>\n"
                   "<ID>1400000100000000000000000000000000000010</ID>\n"
                   "</ArrayOfString>\n"
                   "</m:getResponse>\n"
                   "</SOAP:Body>\n"
                   "</SOAP:Envelope>\n") +
          "\nHosts available on this Cell:\n  \\Hosts\\h1\n  \\Hosts\\h2"
          "\n  \\Hosts\\h3",
      run.output);
  // What the server received: the same elements in the same order, the
  // credentials taken out by the client library on this port.
  EXPECT_EQ(sim.requestLog(),
            "12301 POST /zorbridge admin Get Element [ID=\"\" "
            "Type=\"Element\"] -> ok\n"
            "12301 POST /zorbridge admin Get StorageClient [ID=\"\" "
            "ElementID=\"" +
                kSystemId + "\" Type=\"StorageClient\"] -> ok\n");
}

// One virtual disk is asked for in the version-3.2 dialect, with the
// credentials in the body and scellid, objectid, objecttype in that order.
TEST(RequestTrace, OneVirtualDiskIsFetchedWithGetProperties) {
  SimSession sim(loopbackAddress(106), kRequestScenario, {"--log-properties"});
  REQUIRE_SIM(sim);
  auto run = runArguments(
      withManager(sim.address(), {"SELECT SYSTEM Alpha", "DEBUG DUMP",
                                  "SHOW VDISK \"\\Virtual Disks\\v1\\ACTIVE\"",
                                  "DEBUG NODUMP", "SHOW HOST"}));
  const std::string kRequest = sent(
      "POST /ResEltMrtFusion/XMLIntr HTTP/1.1\n"
      "Host:" +
      loopbackAddress(106) +
      ":12301\n"
      "Content-Type: text/SOAP\n"
      "SOAPAction:'urn:Dunmore-Fenwall:BridgeXMLInterface.v3'\n"
      "Content-Length:  815\n"
      "\n"
      "\n"
      "<Envelope xmlns='http://tarnwick.example/zorapiv32'>\n"
      "<Header>\n"
      "<version>3.2</version>\n"
      "<application>\n"
      "<hostip>111.111.111.111</hostip>\n"
      "<hostname>notspecified</hostname>\n"
      "<applicationname>PELK</applicationname>\n"
      "<applicationtype>0a</applicationtype>\n"
      "</application>\n"
      "<tracerequest>always</tracerequest>\n"
      "<disablevalidation/>\n"
      "</Header>\n"
      "<Body>\n"
      "<username>admin</username>\n"
      "<userpassword>secret</userpassword>\n"
      "<NsaServerOperation>\n"
      "<getproperties>\n"
      "<scellid>" +
      kSystemId +
      "</scellid>\n"
      "<objectid>1500000100000000000000000000000000000011</objectid>\n"
      "<objecttype>virtualdisk</objecttype>\n"
      "</getproperties>\n"
      "</NsaServerOperation>\n"
      "</Body>\n"
      "</Envelope>\n");
  EXPECT_NE(run.output.find(kRequest + "\nSOAP response:"), std::string::npos)
      << testing_support::escaped(run.output);
  // The trace stops with DEBUG NODUMP.
  std::string after = run.output.substr(run.output.find("DEBUG NODUMP"));
  EXPECT_EQ(after.find("*****"), std::string::npos);
  EXPECT_NE(sim.requestLog().find(
                "12301 POST /zorbridge admin getproperties virtualdisk "
                "[scellid=\"" +
                kSystemId +
                "\" objectid=\"1500000100000000000000000000000000000011\" "
                "objecttype=\"virtualdisk\"] -> ok\n"),
            std::string::npos)
      << sim.requestLog();
}

// A manager answers the XML interface in its version-3 envelope, naming the
// namespace our own version-3 requests name (tests/client checks those): the
// answer is read as an envelope, not as one unfinished element.
TEST(RequestTrace, AnAnswerInTheVersion3EnvelopeIsRead) {
  SimSession sim(loopbackAddress(173), kRequestScenario);
  REQUIRE_SIM(sim);
  auto run = runArguments(withManager(
      sim.address(), {"SELECT SYSTEM Alpha", "DEBUG DUMP",
                      "SHOW VDISK \"\\Virtual Disks\\v1\\ACTIVE\""}));
  EXPECT_NE(run.output.find("*****<SOAP:Envelope "
                            "xmlns=\"http://tarnwick.example/zorapiv3\" "
                            "xmlns:zorapi=\"http://tarnwick.example/zorapiv3\">"
                            "\n<SOAP:Body>\n<version>3.2</version>"),
            std::string::npos)
      << testing_support::escaped(run.output);
  EXPECT_EQ(run.output.find("end token"), std::string::npos)
      << testing_support::escaped(run.output);
  EXPECT_NE(run.output.find("Vraid5"), std::string::npos)
      << testing_support::escaped(run.output);
  EXPECT_EQ(run.exitStatus, 0);
}

// Nobody listens there: the request is traced, the failure reported, and
// no answer traced. The password is written as element text.
TEST(RequestTrace, AFailedSendTracesTheRequestOnly) {
  const std::string kAddress = loopbackAddress(107);
  auto run = runArguments(
      {"SELECT MANAGER " + kAddress + " USERNAME=admin PASSWORD=a<b&c",
       "DEBUG DUMP", "SHOW SYSTEM"});
  EXPECT_OUTPUT(
      kBanner +
          echo("SELECT MANAGER " + kAddress +
               " USERNAME=admin PASSWORD=a<b&c") +
          echo("DEBUG DUMP") + echo("SHOW SYSTEM") +
          sent("POST /ResEltMrtFusion/Tallow HTTP/1.1\n"
               "Host:" +
               loopbackAddress(107) +
               ":12301\n"
               "Content-Type: text/SOAP\n"
               "Content-Length:  464\n"
               "SOAP Action:\"Get\"\n"
               "\n"
               "<SOAP:Envelope "
               "xmlns:SOAP=\"urn:schemas-xmlsoap-org:soap.v1\">\n"
               "<SOAP:Body=corvane-fenmoor:zorapi.v1>\n"
               "<m:Get xmlns:m=\"TALLOW-URI\">\n"
               "<ID xsd:type=\"string\"></ID>\n"
               "<UserPassword xsd:type=\"string\">a&lt;b&amp;c</UserPassword>\n"
               "<UserName xsd:type=\"string\">admin</UserName>\n"
               "<Type xsd:type=\"string\">Element</Type>\n"
               "</m:Get>\n"
               "</SOAP:Body>\n"
               "</SOAP:Envelope>\n") +
          "\nError: EMClientAPITNG error ->\nEMCLIENTAPISOCKET_CONNECT_ERROR : "
          "Cannot establish socket connection with the server.\n",
      run.output);
}

}  // namespace
}  // namespace e2e
