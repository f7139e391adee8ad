// The simulator's TLS: a server context made from a certificate and its
// key, and, when a client CA is given, one that requires every client to
// show a certificate that CA signed.
#pragma once

#include <string>

typedef struct ssl_ctx_st SSL_CTX;
typedef struct ssl_st SSL;

namespace sim {

struct TlsFiles {
  std::string certFile;  // empty: the ports serve in clear
  std::string keyFile;
  std::string clientCaFile;  // empty: no client certificate asked for
  bool on() const { return !certFile.empty(); }
};

class TlsServer {
 public:
  TlsServer() = default;
  ~TlsServer();
  TlsServer(const TlsServer&) = delete;
  TlsServer& operator=(const TlsServer&) = delete;

  // False, with `error` set, when a file cannot be used.
  bool Load(const TlsFiles& files, std::string& error);
  bool loaded() const { return context_ != nullptr; }

  // A server session on the socket `fd`; nullptr when none can be made.
  SSL* NewSession(int fd) const;

 private:
  SSL_CTX* context_ = nullptr;
};

// The reason of the last TLS failure of this thread, its queue emptied.
std::string TlsFailureReason(SSL* ssl);

}  // namespace sim
