#include "sim/channel.h"

#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

namespace sim {

Channel::~Channel() { SSL_free(ssl_); }

long Channel::Judge(int result) {
  switch (SSL_get_error(ssl_, result)) {
    case SSL_ERROR_WANT_READ:
      waiting_ = POLLIN;
      return kWait;
    case SSL_ERROR_WANT_WRITE:
      waiting_ = POLLOUT;
      return kWait;
    case SSL_ERROR_ZERO_RETURN:
      return 0;
    default:
      return kFailed;
  }
}

int Channel::Handshake() {
  if (ssl_ == nullptr) return 1;
  int result = SSL_accept(ssl_);
  if (result == 1) {
    wantsSocket_ = false;
    return 1;
  }
  return Judge(result) == kWait ? 0 : -1;
}

long Channel::Read(char* buffer, size_t size) {
  waiting_ = POLLIN;
  if (ssl_ != nullptr) {
    int result = SSL_read(ssl_, buffer, static_cast<int>(size));
    long judged = result > 0 ? result : Judge(result);
    wantsSocket_ = judged == kWait && waiting_ == POLLIN;
    return judged;
  }
  ssize_t n = recv(fd_, buffer, size, 0);
  if (n >= 0) return n;
  return errno == EAGAIN || errno == EINTR ? kWait : kFailed;
}

long Channel::Write(const char* data, size_t size) {
  waiting_ = POLLOUT;
  if (ssl_ != nullptr) {
    int result = SSL_write(ssl_, data, static_cast<int>(size));
    return result > 0 ? result : Judge(result);
  }
  ssize_t n = send(fd_, data, size, MSG_NOSIGNAL);
  if (n >= 0) return n;
  return errno == EAGAIN || errno == EINTR ? kWait : kFailed;
}

bool Channel::Buffered() const {
  return ssl_ != nullptr &&
         (SSL_pending(ssl_) > 0 || (!wantsSocket_ && SSL_has_pending(ssl_)));
}

void Channel::EndWriting() {
  if (ssl_ != nullptr) SSL_shutdown(ssl_);
  shutdown(fd_, SHUT_WR);
}

}  // namespace sim
