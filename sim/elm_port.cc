// Port 2301: a login page with a session key, a login that proves the
// password by digests over that key, and requests that carry the session
// cookie. The client reads every answer until the connection closes.
#include "sim/exchange.h"

namespace sim {
namespace {

constexpr std::string_view kCookiePrefix = "Corvane-HMMD=";
constexpr size_t kCookieLength = 56;

Reply Closing(std::string bytes) {
  Reply reply;
  reply.bytes = std::move(bytes);
  reply.close = true;
  return reply;
}

// The value after "Corvane-HMMD=" in the Cookie header.
std::string CookieValue(const HttpRequest& request) {
  std::optional<std::string> header = HeaderValue(request, "Cookie");
  if (!header) return "";
  size_t at = header->find(kCookiePrefix);
  if (at == std::string::npos) return "";
  std::string value = header->substr(at + kCookiePrefix.size());
  size_t end = value.find_first_of("; ");
  return end == std::string::npos ? value : value.substr(0, end);
}

Reply LoginPage(Service& service, std::string& logLine) {
  FaultEffect effect = service.faults().Take(RequestClass::kSessionKey);
  std::string param;
  if (effect.noSessionKey) {
    logLine += "-> login page without key (fault)";
  } else {
    param = "<PARAM NAME=SessionKey VALUE=\"" + std::string(kCookiePrefix) +
            service.IssueSessionKey() + "\">\n";
    logLine += "-> login page";
  }
  return Closing(HttpAnswer(
      "HTTP/1.0 200 OK", {"Content-Type: text/html", "Connection: close"},
      "<HTML><HEAD><TITLE>Element manager login</TITLE></HEAD>\n<BODY>\n"
      "<APPLET CODE=\"Login.class\" WIDTH=1 HEIGHT=1>\n" +
          param + "</APPLET>\n</BODY></HTML>\n"));
}

Reply LoginResponse(Service& service, const HttpRequest& request,
                    std::string& logLine) {
  FaultEffect effect = service.faults().Take(RequestClass::kLogin);
  std::optional<std::string> user =
      HeaderValue(request, "Corvane-WBEM-UserName");
  std::optional<std::string> cookie;
  if (user && !effect.unauthorized)
    cookie = service.Login(*user, CookieValue(request));
  if (!cookie) {
    logLine += effect.unauthorized ? "-> 401 (fault)" : "-> 401";
    return Closing(HttpAnswer("HTTP/1.0 401 Unauthorized",
                              {"Connection: close"}, "Permission denied\n"));
  }
  logLine += "-> session for " + *user;
  return Closing(HttpAnswer(
      "HTTP/1.0 200 Ok",
      {"Set-Cookie: " + std::string(kCookiePrefix) + *cookie + "; path=/",
       "Connection: close"},
      "Login accepted\n"));
}

Reply Operation(Service& service, const HttpRequest& request,
                std::string& logLine) {
  std::string cookie = CookieValue(request);
  std::optional<std::string> user;
  if (cookie.size() == kCookieLength) user = service.SessionUser(cookie);
  if (!user) {
    // An unknown session answers with the status that makes the client
    // retry with a fresh login.
    bool v3 = request.body.find("<Envelope") != std::string::npos;
    Answer expired;
    expired.status = 18034;
    expired.message = "Session is not valid, log in again";
    logLine += "-> session not valid";
    return Closing(
        HttpAnswer("HTTP/1.0 401 Unauthorized",
                   {"Content-Type: text/xml", "Connection: close"},
                   v3 ? RenderV3(expired, "3.2") : RenderV1(expired, false)));
  }
  logLine += *user + " ";
  Outcome outcome = ServeEnvelope(service, request.body, *user, logLine);
  const FaultEffect& effect = outcome.effect;
  Reply reply;
  reply.close = true;
  reply.dropSilently = effect.close;
  reply.delayMs = effect.delayMs;
  reply.splitBytes = effect.splitBytes;
  reply.bytes =
      HttpAnswer("HTTP/1.0 200 OK",
                 {"Content-Type: text/xml", "Connection: close"}, outcome.xml);
  DamageReply(reply, effect);
  return reply;
}

}  // namespace

Reply AnswerElmPort(Service& service, const HttpRequest& request) {
  if (request.target.starts_with("/sim/")) {
    Reply reply = AnswerControl(service, request);
    reply.close = true;
    return reply;
  }
  std::string logLine = "2301 " + request.method + " " + request.target + " ";
  Reply reply;
  if (EqualsIgnoringCase(request.method, "GET") &&
      request.target == "/mrtlogin.htm") {
    reply = LoginPage(service, logLine);
  } else if (EqualsIgnoringCase(request.method, "POST") &&
             request.target == "/Proxy/LoginResponse") {
    reply = LoginResponse(service, request, logLine);
  } else if (EqualsIgnoringCase(request.method, "POST") &&
             (request.target == "/ResEltMrtFusion/Tallow" ||
              request.target == "/ResEltMrtFusion/XMLIntr")) {
    reply = Operation(service, request, logLine);
  } else {
    reply = Closing(
        HttpAnswer("HTTP/1.0 404 Not Found", {"Connection: close"}, ""));
    logLine += "-> 404";
  }
  service.Log(logLine);
  return reply;
}

}  // namespace sim
