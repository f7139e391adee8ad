// One TCP connection to the management server, in clear or over TLS as
// the library's transport says when it is opened.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "client/settings.h"
#include "platform/sockets.h"
#include "platform/tls.h"

namespace emclient {

// A receive never holds more than this: a server sending an endless or
// enormous answer fails with 109 instead of exhausting memory.
inline constexpr std::size_t kReceiveLimit = 64u << 20;

// The most one read takes: a common answer in one call, a large one in few.
inline constexpr std::size_t kChunkSize = 64u << 10;

class ClientConnection {
 public:
  // Takes the layer's wait-forever flag and timeout as they are now.
  explicit ClientConnection(Layer layer);
  ~ClientConnection();
  ClientConnection(const ClientConnection&) = delete;
  ClientConnection& operator=(const ClientConnection&) = delete;

  // Connects to `host` (dotted, an IPv6 address in brackets, or a name,
  // whose addresses are tried in turn) and `port` (decimal, or "wbem" for
  // the service table's port), closing a previous connection first.
  // 0, 102, 103, 104, 105 or 110; 111 when the request's bound passes
  // first. The socket's mode is set here once: each send and receive says
  // itself whether it may wait. Over TLS the handshake is made here too,
  // bounded even under wait-forever; its failure is an EMCLIENTAPITLS
  // code, and nothing is sent in clear either way.
  int open(const std::string& host, const std::string& port, bool tcp);

  // Shuts the socket down and closes it; 0 or 106.
  int close();

  // Sends every byte of `bytes`. 0, 107 when not connected, 108; 111 when
  // the request's bound passes first.
  int send(std::string_view bytes);

  // Appends what the server sends until it closes the connection.
  // 0, 107, 109 or 111 (also when the request's bound passes).
  int receiveUntilClosed(std::string& response);

  // Appends one chunk of at most kChunkSize bytes, waiting for it; `count`
  // is the chunk's byte count, also added to `received`, the bytes of the
  // whole answer so far. The server closing the connection gives 109, and
  // so does an answer growing past kReceiveLimit. 0, 107, 109 or 111.
  int receiveChunk(std::string& response, std::size_t& received,
                   std::size_t& count);

  bool connected() const { return connected_; }

  // True once a read found the connection closed by the server.
  bool closedByPeer() const { return closedByPeer_; }
  bool inUse = false;
  bool broken = false;

 private:
  class WaitCountdown;

  // One read: >0 bytes appended, 0 closed, <0 a result code (negated).
  long readChunk(std::string& response, std::size_t& received);
  long readTlsChunk(std::string& response, std::size_t& received);
  // One receive from the socket, waiting when `wait` is set: the bytes, 0
  // when the server closed, kNothingYet, or a result code negated.
  long receiveFromSocket(char* buffer, std::size_t size, bool wait,
                         WaitCountdown& countdown);
  // Counts a chunk of the answer in and appends it; >0 or -109.
  long keepChunk(const char* chunk, std::size_t count, std::string& response,
                 std::size_t& received);
  // Makes a socket for `address` and connects it; 0, 102, 105, 110 or 111.
  int connect(const platform::SocketAddress& address, bool tcp);
  // The TLS handshake on the connected socket; 0 or a code.
  int handshake();
  // Closes the socket alone; 0 or 106.
  int closeSocket();
  // Sends every byte on the socket; 0, 108 or 111.
  int sendBytes(std::string_view bytes);
  // Sends the TLS records waiting; 0, 108 or 111.
  int sendRecords();
  // The server's reason for ending the TLS session when it sent one, else
  // `result`.
  int refusalInstead(int result);

  Layer layer_;
  bool connected_ = false;
  bool closedByPeer_ = false;
  platform::SocketHandle socket_ = platform::kNoSocket;
  int waitForever_;
  int socketWaitSeconds_;
  std::unique_ptr<platform::TlsSession> tls_;
  std::string manager_;  // "https://host:port", for the texts of failures
  std::string records_;  // TLS records on their way out
};

}  // namespace emclient
