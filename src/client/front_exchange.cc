#include "client/front_exchange.h"

#include <algorithm>

#include "client/debug_log.h"
#include "client/emclient_api.h"
#include "client/error_text.h"
#include "client/retry_loop.h"
#include "client/text_search.h"
#include "client/text_transport.h"
#include "platform/interruption.h"

namespace emclient {
namespace {

constexpr std::string_view kXmlStart = "<?xml version";
constexpr int kPayloadMissing = -1;

// Where the body starts: after the first empty line at or after `from`;
// kNotFound while the header lines have not all arrived.
std::size_t bodyStart(std::string_view text, std::size_t from) {
  std::size_t crlf = findMarker(text, "\r\n\r\n", from);
  // Only a bare empty line before the first CR LF one matters: the search
  // for it does not go on through the body.
  std::size_t lf = findMarker(
      crlf == kNotFound ? text : text.substr(0, crlf + 4), "\n\n", from);
  if (crlf == kNotFound && lf == kNotFound) return kNotFound;
  if (lf == kNotFound || (crlf != kNotFound && crlf < lf)) return crlf + 4;
  return lf + 2;
}

// The value of the Content-Length header within `headers` (its name in any
// case); -1 without one. Every "content-length:" ends at a colon, so only
// the few colons are looked for, and the name compared before each.
long long announcedLength(std::string_view headers) {
  constexpr std::string_view kName = "content-length";
  auto sameLetter = [](char a, char b) {
    return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
  };
  for (std::size_t colon = headers.find(':', kName.size());
       colon != std::string_view::npos; colon = headers.find(':', colon + 1)) {
    std::string_view before =
        headers.substr(colon - kName.size(), kName.size());
    if (std::equal(before.begin(), before.end(), kName.begin(), sameLetter)) {
      return leadingNumber(headers.substr(colon + 1));
    }
  }
  return -1;
}

// Whether `text` may still grow into an answer: it starts as a status line
// or an XML declaration would. Anything else is judged as it stands, or a
// server that sends garbage and keeps the connection would be waited for
// forever.
bool couldBecomeAnswer(std::string_view text) {
  auto startsLike = [text](std::string_view marker) {
    std::size_t length = std::min(text.size(), marker.size());
    return text.substr(0, length) == marker.substr(0, length);
  };
  return startsLike("HTTP/") || startsLike(kXmlStart);
}

// The request and answer texts of an exchange keep their room for the
// next one, so a command does not allocate them again; room a large answer
// made is given back when the exchange ends.
class ExchangeTexts {
 public:
  ExchangeTexts() : kept_(kept()) {
    kept_.http.clear();
    kept_.answer.clear();
  }
  ~ExchangeTexts() {
    giveBackLargeRoom(kept_.http);
    giveBackLargeRoom(kept_.answer);
  }
  ExchangeTexts(const ExchangeTexts&) = delete;
  ExchangeTexts& operator=(const ExchangeTexts&) = delete;

  std::string& http() { return kept_.http; }
  std::string& answer() { return kept_.answer; }

 private:
  struct Texts {
    std::string http;
    std::string answer;
  };
  static Texts& kept() {
    static Texts texts;
    return texts;
  }
  static void giveBackLargeRoom(std::string& text) {
    constexpr std::size_t kKeptRoom = 256 * 1024;
    if (text.capacity() > kKeptRoom) std::string().swap(text);
  }

  Texts& kept_;
};

int exchangeOnce(ClientConnection& connection, ClientRequest& request,
                 std::string& payload) {
  ExchangeTexts texts;
  std::string& http = texts.http();
  if (int result = buildTextTransport(request, http); result != 0) {
    return result;
  }
  trace(Layer::kFront, 2, " ** Socket connection for sending request is open");
  trace(Layer::kFront, 1, " ** Request sent to server ->", http);
  if (int result = connection.send(http); result != 0) return result;
  trace(Layer::kFront, 2, " ** Request sent to server");
  std::string& answer = texts.answer();
  if (int result = receiveAnswer(connection, answer); result != 0) {
    return result;
  }
  trace(Layer::kFront, 2, " ** Response from server received");
  trace(Layer::kFront, 1, " ** Response from server ->", answer);
  if (!extractPayload(answer, payload)) return kPayloadMissing;
  trace(Layer::kFront, 1, " ** Client response ->", payload);
  return EMCLIENTAPI_SUCCESS;
}

bool isBrokenConnection(int result) {
  return result == EMCLIENTAPISOCKET_SOCKETNOTOPEN_ERROR ||
         result == EMCLIENTAPISOCKET_SEND_ERROR ||
         result == EMCLIENTAPISOCKET_RECEIVE_ERROR;
}

}  // namespace

int receiveAnswer(ClientConnection& connection, std::string& answer) {
  answer.clear();
  std::size_t received = 0;
  std::size_t count = 0;
  // Each search for the body's start covers only the new bytes and the
  // few before them that could begin a marker.
  constexpr std::size_t kMarkerOverlap = kXmlStart.size();
  std::size_t scanned = 0;
  std::size_t start = kNotFound;
  bool headless = false;
  long long expected = -1;
  // The answer is judged only once its header lines and the start of its
  // body are in, and the whole body when the headers announce its length:
  // the parts may come in separate writes.
  for (;;) {
    int result = connection.receiveChunk(answer, received, count);
    if (start == kNotFound) {
      std::size_t from =
          scanned > kMarkerOverlap ? scanned - kMarkerOverlap : 0;
      start = bodyStart(answer, from);
      if (start == kNotFound) {
        start = findMarker(answer, kXmlStart, from);
        headless = start != kNotFound;
      }
      scanned = answer.size();
      if (start != kNotFound) {
        expected = announcedLength(std::string_view(answer).substr(0, start));
        // Room for the whole answer at once: a large one is not copied
        // again each time it outgrows its buffer.
        if (expected > 0 && expected <= static_cast<long long>(kReceiveLimit)) {
          answer.reserve(start + static_cast<std::size_t>(expected));
        }
      }
    }
    if (result != 0) {
      // Without a length the body ends where the server closes.
      bool endedByClose = connection.closedByPeer() && start != kNotFound &&
                          !headless && expected < 0;
      if (!endedByClose) return result;
      break;
    }
    if (start == kNotFound) {
      if (couldBecomeAnswer(answer)) continue;
      break;
    }
    if (expected > static_cast<long long>(kReceiveLimit)) {
      return EMCLIENTAPISOCKET_RECEIVE_ERROR;
    }
    // Without a length the body ends only where the server closes.
    if (expected < 0 ? headless : received >= start + expected) break;
  }
  if (contains(answer, kXmlStart)) return EMCLIENTAPI_SUCCESS;
  trace(Layer::kFront, 1, answer);
  int result = contains(answer, "Unauthorized")
                   ? EMCLIENTAPI_PERMISSIONDENIED_ERROR
                   : EMCLIENTAPITNG_SOAPSERVER_RESPONSE_INVALID_ERROR;
  reportError(result);
  return result;
}

int exchangeWithRetries(ClientConnection& connection, ClientRequest& request,
                        int retryCount, std::string& payload) {
  trace(Layer::kFront, 1, " ** Original received request from application ->",
        request.text());
  // An exchange leaves the request as it is, so each one sends it as it
  // came.
  int result = exchangeOnce(connection, request, payload);
  // The server may have dropped the kept connection: open it once more,
  // unless the exchange failed because it was interrupted.
  if (isBrokenConnection(result) && !platform::interrupted()) {
    if (int reopened = connection.open(request.host(), request.port(), false);
        reopened != 0) {
      return reopened;
    }
    result = exchangeOnce(connection, request, payload);
  }
  if (result != 0) return result;
  trace(Layer::kFront, 2,
        " ** Request has been sent to server and response received");
  return retryWhileAsked(Layer::kFront, retryCount, payload,
                         [&](std::string& again) {
                           return exchangeOnce(connection, request, again);
                         });
}

}  // namespace emclient
