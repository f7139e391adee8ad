#include "client/connection.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include "client/debug_log.h"
#include "client/emclient_api.h"
#include "client/exchange_deadline.h"
#include "client/os_error.h"
#include "client/text_search.h"
#include "client/tls_failure.h"

namespace emclient {
namespace {

// A countdown's step is the longest wait of one receive.
constexpr uint32_t kWaitStep = platform::kReceiveStep;

// receiveFromSocket's answer while nothing has arrived yet; result codes
// are all far from it.
constexpr long kNothingYet = -1;

// The port of a port text in network order; false for an unknown service.
bool portNumber(const std::string& port, uint16_t& networkPort) {
  if (port == "wbem") return platform::lookUpServicePort("wbem", networkPort);
  auto value = static_cast<uint16_t>(leadingNumber(port));
  networkPort = static_cast<uint16_t>((value >> 8) | (value << 8));
  return true;
}

// An IPv6 address without its brackets; any other host as it is.
std::string bareHost(const std::string& host) {
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
    return host.substr(1, host.size() - 2);
  }
  return host;
}

// The addresses to try for `host`: a dotted or bracketed address alone,
// every address of a name in the order the system prefers.
bool serverAddresses(const std::string& host, uint16_t networkPort,
                     std::vector<platform::SocketAddress>& addresses) {
  uint32_t dotted = 0;
  if (platform::parseDottedAddress(host.c_str(), dotted)) {
    addresses.push_back(platform::ipv4SocketAddress(dotted, networkPort));
    return true;
  }
  if (!host.empty() && host.front() == '[') {
    platform::SocketAddress literal;
    if (host.back() != ']' ||
        !platform::parseIpv6Address(bareHost(host).c_str(), networkPort,
                                    literal)) {
      return false;
    }
    addresses.push_back(literal);
    return true;
  }
  return platform::resolveStreamAddresses(host.c_str(), networkPort, addresses);
}

}  // namespace

// The countdown of a wait: twice the timeout in steps of 250 ms, not
// counted down under wait-forever.
class ClientConnection::WaitCountdown {
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

ClientConnection::ClientConnection(Layer layer)
    : layer_(layer),
      waitForever_(settings(layer).waitForever),
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
  uint16_t networkPort = 0;
  if (!portNumber(port, networkPort)) {
    return EMCLIENTAPISOCKET_FINDWBEMSERVICEPORT_ERROR;
  }
  std::vector<platform::SocketAddress> addresses;
  if (!serverAddresses(host, networkPort, addresses)) {
    return EMCLIENTAPISOCKET_RESOLVESERVERNAME_ERROR;
  }
  // TLS that cannot be had (no library, an unusable file) is known before
  // the server is troubled with a connection.
  if (transport().tls) {
    manager_ = "https://" + host + ":" + port;
    platform::TlsError error;
    tls_ =
        platform::startTlsSession(transport().settings, bareHost(host), error);
    if (tls_ == nullptr) return tlsFailure(error, manager_);
  }
  // A name's addresses are tried in turn; a refusal, an unreachable
  // address or a family this machine cannot open (IPv6 turned off) moves
  // on to the next.
  int result = EMCLIENTAPISOCKET_CONNECT_ERROR;
  for (const platform::SocketAddress& address : addresses) {
    result = connect(address, tcp);
    if (result != EMCLIENTAPISOCKET_CONNECT_ERROR &&
        result != EMCLIENTAPISOCKET_CREATESOCKET_ERROR) {
      break;
    }
    closeSocket();
  }
  if (result == EMCLIENTAPI_SUCCESS && tls_ != nullptr) result = handshake();
  if (result != EMCLIENTAPI_SUCCESS) {
    close();
    return result;
  }
  connected_ = true;
  return EMCLIENTAPI_SUCCESS;
}

// The connection is made without blocking, so neither a server that does
// not answer nor an interruption holds it past the request's bound.
int ClientConnection::connect(const platform::SocketAddress& address,
                              bool tcp) {
  if (int stop = stopBeforeWait(EMCLIENTAPISOCKET_CONNECT_ERROR); stop != 0) {
    return stop;
  }
  if (int error = platform::openStreamSocket(address, tcp, socket_);
      error != 0) {
    rememberOsError(error);
    socket_ = platform::kNoSocket;
    return EMCLIENTAPISOCKET_CREATESOCKET_ERROR;
  }
  int error = platform::startConnect(socket_, address);
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

// The handshake has a bound of its own even when answers are waited for
// forever: a server that takes a connection and never answers its
// handshake is no server that is busy.
int ClientConnection::handshake() {
  WaitCountdown countdown(socketWaitSeconds_, 0);
  platform::TlsError error;
  char records[kChunkSize];
  for (;;) {
    platform::TlsStep step = tls_->handshake(error);
    // The server learns of a refusal too, from the alert that says why.
    int sent = sendRecords();
    if (step == platform::TlsStep::kFailed) break;
    if (sent != 0) return sent;
    if (step == platform::TlsStep::kDone) {
      trace(layer_, 1,
            " ** TLS session with " + manager_ + ": " + tls_->description());
      return EMCLIENTAPI_SUCCESS;
    }
    long got = receiveFromSocket(records, sizeof records, true, countdown);
    if (got == kNothingYet) continue;
    if (got < 0) return static_cast<int>(-got);
    if (got == 0) {
      error = {platform::TlsFailure::kHandshake,
               "the server closed the connection during the handshake"};
      break;
    }
    if (!tls_->putInput(records, static_cast<std::size_t>(got))) {
      return EMCLIENTAPI_ALLOCATION_ERROR;
    }
  }
  trace(layer_, 1,
        " ** TLS handshake with " + manager_ + " failed: " + error.reason);
  return tlsFailure(error, manager_);
}

int ClientConnection::close() {
  if (connected_ && tls_ != nullptr) {
    // The closing alert goes if it can at once; nobody waits for it.
    tls_->close();
    records_.clear();
    tls_->takeOutput(records_);
    int ignored = 0;
    platform::sendSome(socket_, records_.data(), records_.size(), ignored);
  }
  tls_.reset();
  connected_ = false;
  return closeSocket();
}

int ClientConnection::closeSocket() {
  if (socket_ == platform::kNoSocket) return EMCLIENTAPI_SUCCESS;
  int error = platform::shutDownAndClose(socket_);
  socket_ = platform::kNoSocket;
  if (error == 0) return EMCLIENTAPI_SUCCESS;
  rememberOsError(error);
  return EMCLIENTAPISOCKET_CLOSE_ERROR;
}

int ClientConnection::send(std::string_view bytes) {
  if (!connected_) return EMCLIENTAPISOCKET_SOCKETNOTOPEN_ERROR;
  // Once interrupted, nothing more reaches the server.
  if (int stop = stopBeforeWait(EMCLIENTAPISOCKET_SEND_ERROR); stop != 0) {
    return stop;
  }
  if (tls_ == nullptr) return sendBytes(bytes);
  platform::TlsError error;
  if (!tls_->write(bytes, error)) {
    tlsFailure(error, manager_);
    return EMCLIENTAPISOCKET_SEND_ERROR;
  }
  int result = sendRecords();
  return result == EMCLIENTAPISOCKET_SEND_ERROR ? refusalInstead(result)
                                                : result;
}

// A server that refuses the session once the handshake is over (a client
// certificate it does not accept) says why in an alert and closes: that
// reason, when it is there, tells more than the failed send.
int ClientConnection::refusalInstead(int result) {
  // An alert is a few bytes; a server that keeps sending is not read on.
  constexpr int kChunksForAnAlert = 4;
  char records[kChunkSize];
  for (int chunk = 0; chunk < kChunksForAnAlert; ++chunk) {
    int error = 0;
    long got = platform::receiveSome(socket_, records, sizeof records, error);
    if (got <= 0) break;
    if (!tls_->putInput(records, static_cast<std::size_t>(got))) break;
  }
  char plain[kChunkSize];
  std::size_t count = 0;
  platform::TlsError error;
  if (tls_->read(plain, sizeof plain, count, error) !=
      platform::TlsStep::kFailed) {
    return result;
  }
  return tlsFailure(error, manager_);
}

int ClientConnection::sendRecords() {
  records_.clear();
  tls_->takeOutput(records_);
  return records_.empty() ? EMCLIENTAPI_SUCCESS : sendBytes(records_);
}

// A request is sent whole: a partial send goes on with the rest, waiting
// while the socket's buffer is full, as long as a receive would wait.
int ClientConnection::sendBytes(std::string_view bytes) {
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

long ClientConnection::receiveFromSocket(char* buffer, std::size_t size,
                                         bool wait, WaitCountdown& countdown) {
  int error = 0;
  long got;
  if (wait) {
    if (int stop = stopBeforeWait(EMCLIENTAPISOCKET_RECEIVE_ERROR); stop != 0) {
      return -stop;
    }
    got = platform::receiveWaiting(socket_, buffer, size,
                                   boundedWait(kWaitStep), error);
    countdown.step();
  } else {
    got = platform::receiveSome(socket_, buffer, size, error);
  }
  if (got >= 0) return got;
  if (error != EAGAIN) {
    rememberOsError(error);
    return -EMCLIENTAPISOCKET_RECEIVE_ERROR;
  }
  if (countdown.runOut()) {
    rememberOsError(error);
    return -EMCLIENTAPISOCKET_RECEIVETIMEOUT_ERROR;
  }
  return kNothingYet;
}

long ClientConnection::keepChunk(const char* chunk, std::size_t count,
                                 std::string& response, std::size_t& received) {
  received += count;
  if (received > kReceiveLimit) return -EMCLIENTAPISOCKET_RECEIVE_ERROR;
  // The answer is text: a zero byte ends what is kept of the chunk.
  response.append(chunk, strnlen(chunk, count));
  return static_cast<long>(count);
}

long ClientConnection::readChunk(std::string& response, std::size_t& received) {
  if (!connected_) return -EMCLIENTAPISOCKET_SOCKETNOTOPEN_ERROR;
  if (tls_ != nullptr) return readTlsChunk(response, received);
  WaitCountdown countdown(socketWaitSeconds_, waitForever_);
  // Just after a request its answer is not there yet: the first read waits
  // for it rather than ask and be told to wait. Later parts of an answer
  // are mostly there already.
  bool wait = received == 0;
  char chunk[kChunkSize];
  for (;;) {
    long got = receiveFromSocket(chunk, sizeof chunk, wait, countdown);
    if (got == kNothingYet) {
      wait = true;
      continue;
    }
    if (got < 0) return got;
    if (got == 0) {
      closedByPeer_ = true;
      return 0;
    }
    return keepChunk(chunk, static_cast<std::size_t>(got), response, received);
  }
}

// The plain bytes of records already in come first; the socket is read
// only when the session needs more, with the same waits as in clear.
long ClientConnection::readTlsChunk(std::string& response,
                                    std::size_t& received) {
  WaitCountdown countdown(socketWaitSeconds_, waitForever_);
  bool wait = received == 0;
  char chunk[kChunkSize];
  char records[kChunkSize];
  for (;;) {
    std::size_t count = 0;
    platform::TlsError error;
    switch (tls_->read(chunk, sizeof chunk, count, error)) {
      case platform::TlsStep::kDone:
        return keepChunk(chunk, count, response, received);
      case platform::TlsStep::kClosed:
        closedByPeer_ = true;
        return 0;
      case platform::TlsStep::kFailed:
        return -tlsFailure(error, manager_);
      case platform::TlsStep::kWantInput:
        break;
    }
    long got = receiveFromSocket(records, sizeof records, wait, countdown);
    if (got == kNothingYet) {
      wait = true;
      continue;
    }
    if (got < 0) return got;
    // A server that closes without the closing alert ends the answer as
    // it would in clear.
    if (got == 0) {
      closedByPeer_ = true;
      return 0;
    }
    if (!tls_->putInput(records, static_cast<std::size_t>(got))) {
      return -EMCLIENTAPISOCKET_RECEIVE_ERROR;
    }
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
