// TLS sessions to a server over a connection the caller carries: the TLS
// library (tls_engine.h), loaded at the first session, turns plain bytes
// into records and back, and the caller moves the records over its socket
// with its own waits.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

// How a server is trusted, and what the client shows it of itself.
struct TlsSettings {
  bool verifyPeer = true;  // certificate and name checked
  std::string caFile;      // empty: the system's certificate store
  std::string certFile;    // empty: no client certificate
  std::string keyFile;     // empty: the key is in certFile
  bool operator==(const TlsSettings&) const = default;
};

enum class TlsFailure {
  kNone,
  kUnavailable,       // the TLS library could not be loaded
  kSetup,             // a CA file, certificate or key could not be used
  kExpired,           // the server's certificate expired or is not valid yet
  kUnknownAuthority,  // no trusted authority signed it
  kNameMismatch,      // it does not name the server
  kCertificate,       // refused for another reason
  kHandshake,         // the handshake failed otherwise
  kSession,           // a record after the handshake was refused
};

struct TlsError {
  TlsFailure failure = TlsFailure::kNone;
  std::string reason;  // the library's words, for the user
};

enum class TlsStep { kDone, kWantInput, kClosed, kFailed };

class TlsSession {
 public:
  ~TlsSession();
  TlsSession(const TlsSession&) = delete;
  TlsSession& operator=(const TlsSession&) = delete;

  // One step of the handshake: kDone, kWantInput, or kFailed with `error`.
  // Whatever it produced waits in the output.
  TlsStep handshake(TlsError& error);

  // Plain bytes into `buffer`: kDone with `count` set, kWantInput, kClosed
  // when the server ended the session, or kFailed with `error`.
  TlsStep read(char* buffer, std::size_t size, std::size_t& count,
               TlsError& error);

  // Turns all of `data` into records in the output. False with `error`.
  bool write(std::string_view data, TlsError& error);

  // Records received from the server. False when out of memory.
  bool putInput(const char* data, std::size_t size);

  // Appends the records waiting to be sent to `records` and forgets them.
  void takeOutput(std::string& records);

  // Queues the alert that ends the session.
  void close();

  // The protocol and cipher in use, as "TLSv1.3 TLS_AES_256_GCM_SHA384".
  std::string description() const;

 private:
  friend std::unique_ptr<TlsSession> startTlsSession(const TlsSettings&,
                                                     const std::string&,
                                                     TlsError&);
  explicit TlsSession(void* session) : session_(session) {}
  void* session_;
};

// A session to `host` (a name, or an IP address without brackets) with
// `settings`. The library is loaded and the settings' files read at the
// first call, and again only when the settings change; a client key that
// another user can read, or one not the user's own, is refused. nullptr
// with `error` set.
std::unique_ptr<TlsSession> startTlsSession(const TlsSettings& settings,
                                            const std::string& host,
                                            TlsError& error);

// Test seam: the TLS library is loaded from `path`, not from beside the
// program. Call it before the first session.
void useTlsLibrary(const std::string& path);

}  // namespace platform
