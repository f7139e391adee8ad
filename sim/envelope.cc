// Decoding an envelope and answering it in its own dialect, faults applied.
#include <algorithm>

#include "sim/exchange.h"
#include "sim/operations.h"
#include "sim/refusals.h"

namespace sim {
namespace {

std::string Render(const OperationRequest& request, const Answer& answer) {
  if (request.dialect == Dialect::kV3) {
    return RenderV3(answer, request.version.empty() ? "3.2" : request.version);
  }
  return RenderV1(answer, IsQuery(request));
}

}  // namespace

std::string HtmlErrorPage() {
  return "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\">\n"
         "<HTML><HEAD><TITLE>503 Service Unavailable</TITLE></HEAD>\n"
         "<BODY><H1>Service Unavailable</H1>\n"
         "<P>The element manager is starting or "
         "restarting.</P></BODY></HTML>\n";
}

Outcome ServeEnvelope(Service& service, std::string_view envelope,
                      std::string_view user, std::string& logLine) {
  Outcome outcome;
  OperationRequest request;
  std::string error;
  bool decoded = DecodeOperation(envelope, request, error);
  request.user = std::string(user);
  if (!decoded) {
    // Answer in the dialect the envelope seems to be written in.
    request.dialect = envelope.find("<Envelope") != std::string_view::npos
                          ? Dialect::kV3
                          : Dialect::kV1;
    request.version = "3.2";
    outcome.xml = Render(request, Refuse(Refusal::kMalformedRequest, error));
    logLine += "malformed: " + error;
    return outcome;
  }
  const std::string* type = FindProperty(
      request, request.dialect == Dialect::kV1 ? "Type" : "objecttype");
  logLine += request.operation + (type != nullptr ? " " + *type : "");
  if (service.logsProperties()) {
    // The properties as they arrived, in their order, so a log shows
    // exactly what a client asked for.
    logLine += " [";
    for (std::size_t i = 0; i < request.properties.size(); ++i) {
      const Property& property = request.properties[i];
      logLine +=
          (i == 0 ? "" : " ") + property.name + "=\"" + property.value + "\"";
    }
    logLine += "]";
  }
  outcome.effect = service.faults().Take(RequestClass::kOperation);
  const FaultEffect& effect = outcome.effect;
  if (effect.close || effect.unauthorized) {
    logLine += effect.close ? " -> fault close" : " -> fault unauthorized";
    return outcome;
  }
  if (effect.html) {
    outcome.xml = HtmlErrorPage();
    logLine += " -> fault html";
    return outcome;
  }
  if (effect.empty) {
    logLine += " -> fault empty";
    return outcome;
  }
  if (effect.deepLevels > 0) {
    std::size_t levels = static_cast<std::size_t>(effect.deepLevels);
    // Containers a real answer nests a level or two deep.
    outcome.xml.reserve(levels * 17);
    for (std::size_t i = 0; i < levels; ++i) outcome.xml += "<object>";
    for (std::size_t i = 0; i < levels; ++i) outcome.xml += "</object>";
    logLine += " -> fault deep";
    return outcome;
  }
  if (effect.busyStatus) {
    Answer busy;
    busy.status = *effect.busyStatus;
    busy.message = "The element manager is busy, try again later";
    outcome.xml = Render(request, busy);
    logLine += " -> fault busy " + std::to_string(busy.status);
    return outcome;
  }
  Answer answer = service.Run(request);
  outcome.xml = Render(request, answer);
  if (effect.oddNames) {
    // Names a manager might hold that no client could have given it.
    constexpr std::string_view kEnd = "</Name>";
    for (std::size_t at = outcome.xml.find(kEnd); at != std::string::npos;
         at = outcome.xml.find(kEnd,
                               at + sizeof kOddNameSuffix - 1 + kEnd.size())) {
      outcome.xml.insert(at, kOddNameSuffix);
    }
    logLine += " (fault odd-names)";
  }
  if (effect.hugeMegabytes > 0) {
    outcome.xml.insert(0, static_cast<std::size_t>(effect.hugeMegabytes) << 20,
                       ' ');
    logLine += " (fault huge)";
  }
  logLine += answer.status == 0 ? " -> ok"
                                : " -> " + std::to_string(answer.status) + " " +
                                      answer.message;
  return outcome;
}

void DamageReply(Reply& reply, const FaultEffect& effect) {
  if (effect.garbage) {
    // Something else's handshake: binary, a zero byte, no HTTP at all.
    static constexpr char kGarbage[] =
        "\x16\x03\x01\x02\x00\x01\x00\xfc junk }{";
    reply.bytes.assign(kGarbage, sizeof kGarbage - 1);
  }
  if (effect.cutBytes > 0 && effect.cutBytes < reply.bytes.size()) {
    reply.bytes.resize(effect.cutBytes);
    reply.close = true;
  }
  if (effect.shortBytes > 0) {
    reply.bytes.resize(reply.bytes.size() -
                       std::min(effect.shortBytes, reply.bytes.size()));
    reply.close = true;
  }
  if (effect.unframed) {
    // Without its length the body ends where the connection does.
    size_t headerEnd = reply.bytes.find("\r\n\r\n");
    size_t length = reply.bytes.find("Content-Length: ");
    if (length < headerEnd) {
      reply.bytes.erase(length, reply.bytes.find("\r\n", length) + 2 - length);
    }
    reply.close = true;
  }
  if (effect.trickleMs > 0) {
    reply.splitBytes = 1;
    reply.pieceGapMs = effect.trickleMs;
  }
  reply.stall = effect.stall;
}

Reply AnswerUnreadable(bool tooLarge) {
  Reply reply;
  reply.bytes = tooLarge ? HttpAnswer("HTTP/1.1 413 Request Entity Too Large",
                                      {"Connection: close"}, "")
                         : HttpAnswer("HTTP/1.1 400 Bad Request",
                                      {"Connection: close"}, "");
  reply.close = true;
  return reply;
}

}  // namespace sim
