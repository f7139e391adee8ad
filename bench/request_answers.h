// Server answers of a chosen size for the request-layer benchmarks, in the
// shapes the management server sends: a list as an array of name/id rows,
// a detail as leaves with a labelled array and long values.
#pragma once

#include <string>

#include "session/session.h"
#include "session/tracked_memory.h"

namespace request_bench {

inline std::string listAnswer(int rows) {
  std::string text =
      "<SOAP:Envelope>\n<SOAP:Body>\n<ArrayOfString xsd:type=\"u:string[2," +
      std::to_string(rows) + "]\">\n";
  for (int i = 0; i < rows; ++i) {
    std::string number = std::to_string(i);
    text += "<Name>Vdisk" + number + "</Name><ID>00A" + number + "</ID>\n";
  }
  return text +
         "</ArrayOfString>\n<SuccessMsg>Get completed</SuccessMsg>\n"
         "</SOAP:Body>\n</SOAP:Envelope>\n";
}

inline std::string detailAnswer(int elements) {
  std::string text = "<SOAP:Envelope>\n<SOAP:Body>\n";
  for (int i = 0; i < elements; ++i) {
    text += "<Property_" + std::to_string(i) +
            ">a value with words that wraps past the width of the "
            "screen at least once or twice</Property_" +
            std::to_string(i) + ">\n";
  }
  text += "<LabelName xsd:type=\"u:string\">Port</LabelName>\n";
  text += "<ArrayOfString xsd:type=\"u:string[2," + std::to_string(elements) +
          "]\">\n";
  for (int i = 0; i < elements; ++i) {
    text += "<Lun>" + std::to_string(i) + "</Lun><StorageClientName>Host" +
            std::to_string(i) + "</StorageClientName>\n";
  }
  return text + "</ArrayOfString>\n</SOAP:Body>\n</SOAP:Envelope>\n";
}

// A session whose output goes nowhere.
struct BenchSession {
  BenchSession() {
    session::outputStream = std::fopen("/dev/null", "w");
    context.session = &session;
  }
  session::CommandContext context{};
  session::SessionState session{};
};

}  // namespace request_bench
