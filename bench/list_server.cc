#include "list_server.h"

namespace bench_support {
namespace {

// The element type of a request, from its escaped payload.
std::string elementTypeOf(const std::string& request) {
  const std::string open = "Type xsd:type=\"string\"&gt;";
  std::size_t at = request.find(open);
  if (at == std::string::npos) return {};
  at += open.size();
  std::size_t end = request.find("&lt;", at);
  return end == std::string::npos ? std::string()
                                  : request.substr(at, end - at);
}

}  // namespace

ListServer::ListServer(const std::string& address, Lists lists)
    : lists_(std::move(lists)), server_(address, 12301) {
  server_.start([this](int descriptor) {
    for (;;) {
      std::string request = emclient_test::readHttpRequest(descriptor);
      if (request.empty()) return;
      emclient_test::writeAll(descriptor, answerFor(elementTypeOf(request)));
    }
  });
}

const std::string& ListServer::answerFor(const std::string& elementType) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto kept = answers_.find(elementType);
  if (kept == answers_.end()) {
    kept = answers_
               .emplace(elementType,
                        emclient_test::textTransportAnswer(lists_(elementType)))
               .first;
  }
  return kept->second;
}

std::size_t ListServer::answerSize(const std::string& elementType) {
  return answerFor(elementType).size();
}

std::string listPayload(int rows, const std::function<std::string(int)>& name,
                        const std::function<std::string(int)>& id) {
  std::string text =
      "<SOAP:Envelope>\n<SOAP:Body>\n<ArrayOfString xsd:type=\"u:string[2," +
      std::to_string(rows) + "]\">\n";
  for (int i = 0; i < rows; ++i) {
    text += "<Name>" + name(i) + "</Name><ID>" + id(i) + "</ID>\n";
  }
  return text +
         "</ArrayOfString>\n<SuccessMsg>Get completed</SuccessMsg>\n"
         "</SOAP:Body>\n</SOAP:Envelope>\n";
}

}  // namespace bench_support
