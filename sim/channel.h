// One connection of a client: the socket, with a TLS session over it when
// the server serves TLS. The socket does not block; every call says when
// it must wait and for what.
#pragma once

#include <cstddef>

typedef struct ssl_st SSL;

namespace sim {

class Channel {
 public:
  // The socket, which stays the caller's, and the session over it
  // (nullptr: in clear), which the channel frees.
  Channel(int fd, SSL* ssl) : fd_(fd), ssl_(ssl) {}
  ~Channel();
  Channel(const Channel&) = delete;
  Channel& operator=(const Channel&) = delete;

  int fd() const { return fd_; }
  SSL* ssl() const { return ssl_; }

  // One step of the server's handshake: 1 done, 0 wait for Waiting() and
  // go on, -1 failed. In clear there is none: 1.
  int Handshake();
  // The bytes read, 0 when the client closed, kWait, or kFailed.
  long Read(char* buffer, size_t size);
  // The bytes written, kWait, or kFailed.
  long Write(const char* data, size_t size);
  // poll events to wait for after kWait (or a handshake's 0).
  short Waiting() const { return waiting_; }
  // True while bytes already read from the socket wait inside TLS (plain
  // bytes, or records taken ahead, as with a request sent together with
  // the handshake's end), so a poll of the socket would not see them.
  bool Buffered() const;
  // Ends the server's side of the conversation; reading goes on.
  void EndWriting();

  static constexpr long kWait = -1;
  static constexpr long kFailed = -2;

 private:
  long Judge(int result);

  int fd_;
  SSL* ssl_;
  short waiting_;
  // The last read wanted more from the socket: what TLS holds is only part
  // of a record, and waiting on it would spin.
  bool wantsSocket_ = false;
};

}  // namespace sim
