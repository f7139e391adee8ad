// Port 12301: the request envelope travels escaped inside an
// executeTextTransport call, authorized by HTTP Basic credentials.
#include "sim/digest.h"
#include "sim/exchange.h"

namespace sim {
namespace {

// Built afresh in one pass: replacing in place would move the rest of the
// text once per match, and an answer may hold millions of them.
std::string ReplaceAll(std::string_view text, std::string_view from,
                       std::string_view to) {
  std::string out;
  out.reserve(text.size());
  size_t at = 0;
  for (size_t match; (match = text.find(from, at)) != std::string_view::npos;
       at = match + from.size()) {
    out.append(text.substr(at, match - at));
    out.append(to);
  }
  out.append(text.substr(at));
  return out;
}

// The payload between the markers, with "&lt;" and "&gt;" turned back into
// tags; no other entity is written by the clients.
std::optional<std::string> TakePayload(std::string_view body) {
  size_t open = body.find("<xmlPayload>");
  size_t close = body.find("</xmlPayload>");
  if (open == std::string_view::npos || close == std::string_view::npos ||
      close < open) {
    return std::nullopt;
  }
  open += 12;
  return ReplaceAll(ReplaceAll(body.substr(open, close - open), "&lt;", "<"),
                    "&gt;", ">");
}

std::string WrapPayload(std::string_view xml) {
  std::string payload = ReplaceAll(ReplaceAll(xml, "<", "&lt;"), ">", "&gt;");
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
         "<soap:Envelope "
         "xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\" "
         "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
         "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n"
         "<soap:Body>\n"
         "<m:executeTextTransportResponse "
         "xmlns:m=\"urn:Dunmore-Fenwall:BridgeXMLInterface.v3\">\n"
         "<xmlPayload>" +
         payload +
         "</xmlPayload>\n"
         "</m:executeTextTransportResponse>\n"
         "</soap:Body>\n"
         "</soap:Envelope>\n";
}

std::string SoapFault(std::string_view reason) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
         "<soap:Envelope "
         "xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\">\n"
         "<soap:Body>\n<soap:Fault>\n<faultcode>soap:Client</faultcode>\n"
         "<faultstring>" +
         std::string(reason) +
         "</faultstring>\n</soap:Fault>\n</soap:Body>\n</soap:Envelope>\n";
}

Reply Unauthorized() {
  Reply reply;
  reply.bytes =
      HttpAnswer("HTTP/1.1 401 Unauthorized",
                 {"WWW-Authenticate: Basic realm=\"element manager\""}, "");
  return reply;
}

// The user the Basic credentials prove, if any.
std::optional<std::string> CheckCredentials(Service& service,
                                            const HttpRequest& request) {
  std::optional<std::string> header = HeaderValue(request, "Authorization");
  if (!header || !header->starts_with("Basic ")) return std::nullopt;
  std::optional<std::string> decoded = DecodeBase64(header->substr(6));
  if (!decoded) return std::nullopt;
  size_t colon = decoded->find(':');
  if (colon == std::string::npos) return std::nullopt;
  std::string user = decoded->substr(0, colon);
  if (!service.Authenticate(user, decoded->substr(colon + 1))) {
    return std::nullopt;
  }
  return user;
}

}  // namespace

Reply AnswerTextPort(Service& service, const HttpRequest& request) {
  if (request.target.starts_with("/sim/"))
    return AnswerControl(service, request);
  std::string logLine = "12301 " + request.method + " " + request.target + " ";
  Reply reply;
  std::optional<std::string> connection = HeaderValue(request, "Connection");
  reply.close = connection && EqualsIgnoringCase(*connection, "close");
  if (!EqualsIgnoringCase(request.method, "POST") ||
      request.target != "/zorbridge") {
    reply.bytes = HttpAnswer("HTTP/1.1 404 Not Found", {}, "");
    service.Log(logLine + "-> 404");
    return reply;
  }
  std::optional<std::string> user = CheckCredentials(service, request);
  if (!user) {
    service.Log(logLine + "-> 401");
    Reply refused = Unauthorized();
    refused.close = reply.close;
    return refused;
  }
  std::optional<std::string> payload = TakePayload(request.body);
  if (!payload) {
    reply.bytes = HttpAnswer("HTTP/1.1 500 Internal Server Error",
                             {"Content-Type: text/xml; charset=utf-8"},
                             SoapFault("no xmlPayload in the request"));
    service.Log(logLine + "-> 500 no xmlPayload");
    return reply;
  }
  logLine += *user + " ";
  Outcome outcome = ServeEnvelope(service, *payload, *user, logLine);
  service.Log(logLine);
  const FaultEffect& effect = outcome.effect;
  if (effect.close) {
    reply.dropSilently = true;
    return reply;
  }
  if (effect.unauthorized) {
    Reply refused = Unauthorized();
    refused.delayMs = effect.delayMs;
    refused.splitBytes = effect.splitBytes;
    return refused;
  }
  reply.bytes =
      HttpAnswer("HTTP/1.1 200 OK", {"Content-Type: text/xml; charset=utf-8"},
                 WrapPayload(outcome.xml));
  reply.delayMs = effect.delayMs;
  reply.splitBytes = effect.splitBytes;
  DamageReply(reply, effect);
  return reply;
}

}  // namespace sim
