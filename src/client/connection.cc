#include "client/connection.h"

#include <cerrno>
#include <cstring>

#include "client/emclient_api.h"
#include "client/os_error.h"
#include "client/text_search.h"

namespace emclient {
namespace {

constexpr uint32_t kWaitStep = 250;

// The port of a port text in network order; false for an unknown service.
bool portNumber(const std::string& port, uint16_t& networkPort) {
  if (port == "wbem") return platform::lookUpServicePort("wbem", networkPort);
  auto value = static_cast<uint16_t>(leadingNumber(port));
  networkPort = static_cast<uint16_t>((value >> 8) | (value << 8));
  return true;
}

// The countdown of a wait: twice the timeout in steps of 250 ms, not
// counted down under wait-forever.
class WaitCountdown {
 public:
  WaitCountdown(int timeoutSeconds, int waitForever)
      : left_(2 * timeoutSeconds), forever_(waitForever != 0) {}
  bool runOut() const { return !forever_ && left_ <= 0; }
  void step() {
    if (!forever_) --left_;
  }

 private:
  int left_;
  bool forever_;
};

}  // namespace

ClientConnection::ClientConnection(Layer layer)
    : waitForever_(settings(layer).waitForever),
      timeoutSeconds_(settings(layer).timeoutSeconds) {}

ClientConnection::~ClientConnection() {
  if (connected_ || socket_ != platform::kNoSocket) close();
}

int ClientConnection::open(const std::string& host, const std::string& port,
                           bool tcp) {
  if (connected_) close();
  closedByPeer_ = false;
  if (int error = platform::openStreamSocket(tcp, socket_); error != 0) {
    rememberOsError(error);
    socket_ = platform::kNoSocket;
    return EMCLIENTAPISOCKET_CREATESOCKET_ERROR;
  }
  uint16_t networkPort = 0;
  if (!portNumber(port, networkPort)) {
    close();
    return EMCLIENTAPISOCKET_FINDWBEMSERVICEPORT_ERROR;
  }
  uint32_t address = 0;
  if (!platform::parseDottedAddress(host.c_str(), address) &&
      !platform::resolveHostName(host.c_str(), address)) {
    close();
    return EMCLIENTAPISOCKET_RESOLVESERVERNAME_ERROR;
  }
  if (int error = platform::connectSocket(socket_, address, networkPort);
      error != 0) {
    rememberOsError(error);
    close();
    return EMCLIENTAPISOCKET_CONNECT_ERROR;
  }
  connected_ = true;
  return EMCLIENTAPI_SUCCESS;
}

int ClientConnection::close() {
  connected_ = false;
  if (socket_ == platform::kNoSocket) return EMCLIENTAPI_SUCCESS;
  int error = platform::shutDownAndClose(socket_);
  socket_ = platform::kNoSocket;
  if (error == 0) return EMCLIENTAPI_SUCCESS;
  rememberOsError(error);
  return EMCLIENTAPISOCKET_CLOSE_ERROR;
}

// A request is sent whole: a partial send goes on with the rest, waiting
// while the socket's buffer is full, as long as a receive would wait.
int ClientConnection::send(std::string_view bytes) {
  if (!connected_) return EMCLIENTAPISOCKET_SOCKETNOTOPEN_ERROR;
  WaitCountdown countdown(timeoutSeconds_, waitForever_);
  while (!bytes.empty()) {
    int error = 0;
    long sent = platform::sendSome(socket_, bytes.data(), bytes.size(), error);
    if (sent > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(sent));
      continue;
    }
    if (sent < 0 && error == EAGAIN && !countdown.runOut()) {
      platform::waitWritable(socket_, kWaitStep);
      countdown.step();
      continue;
    }
    rememberOsError(error);
    return EMCLIENTAPISOCKET_SEND_ERROR;
  }
  return EMCLIENTAPI_SUCCESS;
}

long ClientConnection::readChunk(std::string& response, std::size_t& received) {
  if (!connected_) return -EMCLIENTAPISOCKET_SOCKETNOTOPEN_ERROR;
  WaitCountdown countdown(timeoutSeconds_, waitForever_);
  // Just after a request its answer is not there yet: the first read waits
  // for it rather than ask and be told to wait. Later parts of an answer
  // are mostly there already.
  bool wait = received == 0;
  char chunk[kChunkSize];
  for (;;) {
    int error = 0;
    long got;
    if (!wait) {
      got = platform::receiveSome(socket_, chunk, sizeof chunk, error);
    } else if (waitForever_ != 0) {
      // Nothing to count down: one receive sleeps until the data comes.
      got = platform::receiveWaiting(socket_, chunk, sizeof chunk, error);
    } else {
      platform::waitReadable(socket_, kWaitStep);
      countdown.step();
      got = platform::receiveSome(socket_, chunk, sizeof chunk, error);
    }
    if (got == 0) {
      closedByPeer_ = true;
      return 0;
    }
    if (got > 0) {
      received += static_cast<std::size_t>(got);
      if (received > kReceiveLimit) return -EMCLIENTAPISOCKET_RECEIVE_ERROR;
      // The answer is text: a zero byte ends what is kept of the chunk.
      response.append(chunk, strnlen(chunk, static_cast<std::size_t>(got)));
      return got;
    }
    if (error != EAGAIN) {
      rememberOsError(error);
      return -EMCLIENTAPISOCKET_RECEIVE_ERROR;
    }
    if (countdown.runOut()) {
      rememberOsError(error);
      return -EMCLIENTAPISOCKET_RECEIVETIMEOUT_ERROR;
    }
    wait = true;
  }
}

int ClientConnection::receiveUntilClosed(std::string& response) {
  response.clear();
  std::size_t received = 0;
  for (;;) {
    long got = readChunk(response, received);
    if (got == 0) return EMCLIENTAPI_SUCCESS;
    if (got < 0) return static_cast<int>(-got);
  }
}

int ClientConnection::receiveChunk(std::string& response, std::size_t& received,
                                   std::size_t& count) {
  long got = readChunk(response, received);
  if (got == 0) return EMCLIENTAPISOCKET_RECEIVE_ERROR;
  if (got < 0) return static_cast<int>(-got);
  count = static_cast<std::size_t>(got);
  return EMCLIENTAPI_SUCCESS;
}

}  // namespace emclient
