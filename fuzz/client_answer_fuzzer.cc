// Feeds each input as a server's answer: over a real loopback connection
// into the 12301 path's receive, then into every parser of answers.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "client/connection.h"
#include "client/direct_operations.h"
#include "client/direct_request.h"
#include "client/emclient_api.h"
#include "client/front_exchange.h"
#include "client/login.h"
#include "client/retry_status.h"
#include "client/settings.h"
#include "client/text_transport.h"
#include "support/loopback.h"

namespace {

using testing_support::loopbackAddress;

constexpr uint16_t kPort = 12301;

int listener() {
  static int descriptor = [] {
    int made = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int yes = 1;
    setsockopt(made, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(kPort);
    inet_pton(AF_INET, loopbackAddress(1).c_str(), &local.sin_addr);
    if (bind(made, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        listen(made, 4) != 0) {
      __builtin_trap();
    }
    return made;
  }();
  return descriptor;
}

// The answer is written whole and the server's side closed before the
// client reads, so one thread plays both sides.
void receiveOverLoopback(std::string_view answer) {
  emclient::ClientConnection connection(emclient::Layer::kFront);
  int server = listener();
  if (connection.open(loopbackAddress(1), std::to_string(kPort), true) != 0)
    return;
  int accepted = accept4(server, nullptr, nullptr, SOCK_CLOEXEC);
  if (accepted < 0) return;
  for (std::string_view rest = answer; !rest.empty();) {
    ssize_t sent = send(accepted, rest.data(), rest.size(), MSG_NOSIGNAL);
    if (sent <= 0) break;
    rest.remove_prefix(static_cast<std::size_t>(sent));
  }
  close(accepted);
  std::string received;
  if (emclient::receiveAnswer(connection, received) == 0) {
    std::string payload;
    emclient::extractPayload(received, payload);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::string_view answer(reinterpret_cast<const char*>(data), size);
  receiveOverLoopback(answer);

  std::string payload;
  emclient::extractPayload(answer, payload);
  emclient::retryStatus(answer, true);
  emclient::retryStatus(answer, false);
  emclient::markedValue(answer, "<PARAM NAME=SessionKey VALUE=\"Corvane-HMMD=");
  emclient::markedValue(answer, "Set-Cookie: Corvane-HMMD=");
  emclient::statusMessage(answer);
  char version[EMCLIENTAPI_TEXT_FIELD_SIZE] = "unknown";
  char build[EMCLIENTAPI_TEXT_FIELD_SIZE] = "unknown";
  emclient::readSystemInfo(answer, version, build);
  ObjectListEntry* list = nullptr;
  emclient::appendObjects(answer, &list);
  EMClientAPITNGFreeObjectList(list);
  return 0;
}
