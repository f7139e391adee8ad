// Requests below /sim/: tests and administrators inject faults and read or
// replace the state while the manager runs.
#include "sim/exchange.h"

namespace sim {
namespace {

Reply Text(std::string_view status, std::string body) {
  Reply reply;
  reply.bytes = HttpAnswer(status, {"Content-Type: text/plain"}, body);
  return reply;
}

Reply AnswerControlRequest(Service& service, const HttpRequest& request) {
  service.Log("control " + request.method + " " + request.target);
  bool post = EqualsIgnoringCase(request.method, "POST");
  bool get = EqualsIgnoringCase(request.method, "GET");
  if (post && request.target == "/sim/fault") {
    FaultSpec spec;
    std::string error;
    std::string text = request.body;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
      text.pop_back();
    }
    if (!ParseFault(text, spec, error))
      return Text("HTTP/1.1 400 Bad Request", error + "\n");
    service.faults().Add(spec);
    return Text("HTTP/1.1 200 OK", "ok\n");
  }
  if (post && request.target == "/sim/clear") {
    service.faults().Clear();
    return Text("HTTP/1.1 200 OK", "ok\n");
  }
  if (get && request.target == "/sim/faults") {
    return Text("HTTP/1.1 200 OK", service.faults().Describe());
  }
  if (get && request.target == "/sim/state") {
    Reply reply;
    reply.bytes =
        HttpAnswer("HTTP/1.1 200 OK", {"Content-Type: application/json"},
                   service.Snapshot(service.controlShowsSecrets()));
    return reply;
  }
  if (post && request.target == "/sim/state") {
    std::string error;
    if (!service.Replace(request.body, error)) {
      return Text("HTTP/1.1 400 Bad Request", error + "\n");
    }
    return Text("HTTP/1.1 200 OK", "ok\n");
  }
  return Text("HTTP/1.1 404 Not Found", "unknown control request\n");
}

}  // namespace

Reply AnswerControl(Service& service, const HttpRequest& request) {
  Reply reply = AnswerControlRequest(service, request);
  std::optional<std::string> connection = HeaderValue(request, "Connection");
  reply.close = connection && EqualsIgnoringCase(*connection, "close");
  return reply;
}

}  // namespace sim
