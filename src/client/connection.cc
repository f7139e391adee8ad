#include "client/connection.h"

#include <cerrno>
#include <cstring>

#include "client/emclient_api.h"
#include "client/exchange_deadline.h"
#include "client/os_error.h"
#include "client/text_search.h"

namespace emclient {
namespace {

// A countdown's step is the longest wait of one receive.
constexpr uint32_t kWaitStep = platform::kReceiveStep;

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
  WaitCountdown(int socketWaitSeconds, int waitForever)
      : left_(2 * socketWaitSeconds), forever_(waitForever != 0) {}
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
      socketWaitSeconds_(settings(layer).socketWaitSeconds) {}

ClientConnection::~ClientConnection() {
  if (connected_ || socket_ != platform::kNoSocket) close();
}

int ClientConnection::open(const std::string& host, const std::string& port,
                           bool tcp) {
  if (connected_) close();
  closedByPeer_ = false;
  if (int stop = stopBeforeWait(EMCLIENTAPISOCKET_CONNECT_ERROR); stop != 0) {
    return stop;
  }
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
  if (int result = connect(address, networkPort); result != 0) {
    close();
    return result;
  }
  connected_ = true;
  return EMCLIENTAPI_SUCCESS;
}

// The connection is made without blocking, so neither a server that does
// not answer nor an interruption holds it past the request's bound.
int ClientConnection::connect(uint32_t address, uint16_t networkPort) {
  int error = platform::startConnect(socket_, address, networkPort);
  while (error == EINPROGRESS) {
    if (int stop = stopBeforeWait(EMCLIENTAPISOCKET_CONNECT_ERROR); stop != 0) {
      return stop;
    }
    error = platform::waitConnected(socket_, boundedWait(kWaitStep));
  }
  if (error != 0) {
    rememberOsError(error);
    return EMCLIENTAPISOCKET_CONNECT_ERROR;
  }
  if (error = platform::waitInReceives(socket_); error != 0) {
    rememberOsError(error);
    return EMCLIENTAPISOCKET_SETSOCKETOPTION_ERROR;
  }
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
  // Once interrupted, nothing more reaches the server.
  if (int stop = stopBeforeWait(EMCLIENTAPISOCKET_SEND_ERROR); stop != 0) {
    return stop;
  }
  WaitCountdown countdown(socketWaitSeconds_, waitForever_);
  while (!bytes.empty()) {
    int error = 0;
    long sent = platform::sendSome(socket_, bytes.data(), bytes.size(), error);
    if (sent > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(sent));
      continue;
    }
    if (sent < 0 && error == EAGAIN && !countdown.runOut()) {
      if (int stop = stopBeforeWait(EMCLIENTAPISOCKET_SEND_ERROR); stop != 0) {
        return stop;
      }
      platform::waitWritable(socket_, boundedWait(kWaitStep));
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
  WaitCountdown countdown(socketWaitSeconds_, waitForever_);
  // Just after a request its answer is not there yet: the first read waits
  // for it rather than ask and be told to wait. Later parts of an answer
  // are mostly there already.
  bool wait = received == 0;
  char chunk[kChunkSize];
  for (;;) {
    int error = 0;
    long got;
    if (wait) {
      if (int stop = stopBeforeWait(EMCLIENTAPISOCKET_RECEIVE_ERROR);
          stop != 0) {
        return -stop;
      }
      got = platform::receiveWaiting(socket_, chunk, sizeof chunk,
                                     boundedWait(kWaitStep), error);
      countdown.step();
    } else {
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
