// One request in, one reply out: what each port answers.
#pragma once

#include <string>

#include "sim/answer.h"
#include "sim/faults.h"
#include "sim/http.h"
#include "sim/request.h"
#include "sim/service.h"

namespace sim {

struct Reply {
  std::string bytes;
  bool close = false;         // close the connection after the reply
  bool dropSilently = false;  // close without writing anything
  size_t splitBytes = 0;      // write in pieces of this size (0: at once)
  int pieceGapMs = 0;         // pause between two pieces
  int delayMs = 0;            // hold the reply back this long
  bool stall = false;         // write the header lines only, then hold the
                              // connection until the client closes it
};

// Port 12301: the text transport with Basic authorization, keep-alive.
Reply AnswerTextPort(Service& service, const HttpRequest& request);
// Port 2301: login page, login, and requests carrying the session cookie;
// one exchange per connection.
Reply AnswerElmPort(Service& service, const HttpRequest& request);
// Requests below /sim/ on either port: faults and state.
Reply AnswerControl(Service& service, const HttpRequest& request);

// The reply to a request that could not be framed: 400 or 413, then close.
Reply AnswerUnreadable(bool tooLarge);

// Shared by both ports: decodes the envelope, applies the operation faults
// and renders the answer in the request's dialect. `logLine` receives a
// short account of what happened.
struct Outcome {
  std::string xml;  // the answer in the request's dialect
  FaultEffect effect;
};
Outcome ServeEnvelope(Service& service, std::string_view envelope,
                      std::string_view user, std::string& logLine);

// The faults that spoil a reply on the wire: garbage instead of it, a
// connection closed before its end, a missing length, a reply that stalls
// or trickles; and the pieces and delay it is written with.
void DamageReply(Reply& reply, const FaultEffect& effect);

// The page a busy or restarting manager serves instead of an answer.
std::string HtmlErrorPage();

}  // namespace sim
