// Decoding the envelopes of both request dialects, leniently where the
// dialect is not well-formed, strictly where the request is broken.
#include <gtest/gtest.h>

#include "sim/request.h"
#include "sim_client.h"

namespace {

TEST(Decoding, ReadsTheListDialectAsTheShellWritesIt) {
  std::string envelope =
      simtest::V1Envelope("Create", "StorageClient",
                          {{"ElementID", "E1"},
                           {"StorageClientAdapterID", "1000-0000-0000-0001"},
                           {"StorageClientAdapterID", "1000-0000-0000-0002"},
                           {"comments", "two  blanks "},
                           {"ID", ""}});
  sim::OperationRequest request;
  std::string error;
  ASSERT_TRUE(sim::DecodeOperation(envelope, request, error)) << error;
  EXPECT_EQ(request.dialect, sim::Dialect::kV1);
  EXPECT_EQ(request.operation, "Create");
  EXPECT_EQ(*sim::FindProperty(request, "Type"), "StorageClient");
  EXPECT_EQ(*sim::FindProperty(request, "comments"), "two  blanks ");
  EXPECT_EQ(*sim::FindProperty(request, "ID"), "");
  EXPECT_EQ(sim::AllProperties(request, "StorageClientAdapterID").size(), 2u);
}

TEST(Decoding, ReadsAFlattenedListRequest) {
  std::string flat =
      "<SOAP:Envelope "
      "xmlns:SOAP=\"urn:schemas-xmlsoap-org:soap.v1\"><SOAP:Body=corvane-"
      "fenmoor:zorapi.v1><m:Get xmlns:m=\"TALLOW-URI\"><ID "
      "xsd:type=\"string\"></ID><Type "
      "xsd:type=\"string\">Element</Type></m:Get></SOAP:Body></SOAP:Envelope>";
  sim::OperationRequest request;
  std::string error;
  ASSERT_TRUE(sim::DecodeOperation(flat, request, error)) << error;
  EXPECT_EQ(request.operation, "Get");
}

TEST(Decoding, ReadsTheXmlInterfaceDialect) {
  std::string envelope = simtest::V3Envelope(
      "startdiskexercise",
      {{"scellid", "S"}, {"diskid", "D1"}, {"diskid", "D2"}}, "3.00");
  sim::OperationRequest request;
  std::string error;
  ASSERT_TRUE(sim::DecodeOperation(envelope, request, error)) << error;
  EXPECT_EQ(request.dialect, sim::Dialect::kV3);
  EXPECT_EQ(request.version, "3.00");
  EXPECT_EQ(request.operation, "startdiskexercise");
  EXPECT_EQ(sim::AllProperties(request, "diskid"),
            (std::vector<std::string>{"D1", "D2"}));
}

TEST(Decoding, RefusesBrokenEnvelopes) {
  std::string nested(40, '<');
  std::string deep;
  for (int i = 0; i < 40; ++i) deep += "<a>";
  const struct {
    const char* what;
    std::string text;
  } cases[] = {
      {"empty", ""},
      {"plain text", "hello"},
      {"unknown envelope", "<Other></Other>"},
      {"truncated", simtest::V1Envelope("Get", "Element", {}).substr(0, 120)},
      {"end tag of another element",
       "<SOAP:Envelope><SOAP:Body><m:Get><ID></Name></m:Get></SOAP:Body></"
       "SOAP:Envelope>"},
      {"two operations",
       "<SOAP:Envelope><SOAP:Body><m:Get></m:Get><m:Set></m:Set></SOAP:Body></"
       "SOAP:Envelope>"},
      {"operation without prefix",
       "<SOAP:Envelope><SOAP:Body><Get></Get></SOAP:Body></SOAP:Envelope>"},
      {"element inside a property",
       "<SOAP:Envelope><SOAP:Body><m:Get><ID><x>1</x></ID></m:Get></"
       "SOAP:Body></"
       "SOAP:Envelope>"},
      {"text mixed with elements",
       "<SOAP:Envelope>junk<SOAP:Body><m:Get></m:Get></SOAP:Body></"
       "SOAP:Envelope>"},
      {"interface envelope without version",
       "<Envelope><Body><NsaServerOperation><getsysteminfo/></"
       "NsaServerOperation></Body></"
       "Envelope>"},
      {"unterminated tag", "<SOAP:Envelope"},
      {"deep nesting", deep},
      {"tag without a name", nested},
  };
  for (const auto& c : cases) {
    sim::OperationRequest request;
    std::string error;
    EXPECT_FALSE(sim::DecodeOperation(c.text, request, error)) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
  }
}

}  // namespace
