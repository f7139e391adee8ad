#include "sim/tls.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>

namespace sim {
namespace {

std::string QueuedReason(const std::string& context) {
  unsigned long code = ERR_peek_error();
  const char* reason = code != 0 ? ERR_reason_error_string(code) : nullptr;
  ERR_clear_error();
  return context + ": " + (reason != nullptr ? reason : "not usable");
}

}  // namespace

TlsServer::~TlsServer() { SSL_CTX_free(context_); }

bool TlsServer::Load(const TlsFiles& files, std::string& error) {
  ERR_clear_error();
  SSL_CTX* context = SSL_CTX_new(TLS_server_method());
  if (context == nullptr) {
    error = QueuedReason("TLS");
    return false;
  }
  SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION);
  // A record in one read rather than its header and then its body; what
  // the library takes ahead of its need, Channel::Buffered() sees.
  SSL_CTX_set_read_ahead(context, 1);
  bool ready =
      SSL_CTX_use_certificate_chain_file(context, files.certFile.c_str()) == 1;
  if (!ready) error = QueuedReason(files.certFile);
  if (ready && SSL_CTX_use_PrivateKey_file(context, files.keyFile.c_str(),
                                           SSL_FILETYPE_PEM) != 1) {
    error = QueuedReason(files.keyFile);
    ready = false;
  }
  if (ready && SSL_CTX_check_private_key(context) != 1) {
    error = QueuedReason(files.keyFile);
    ready = false;
  }
  if (ready && !files.clientCaFile.empty()) {
    STACK_OF(X509_NAME)* names =
        SSL_load_client_CA_file(files.clientCaFile.c_str());
    if (names == nullptr ||
        SSL_CTX_load_verify_locations(context, files.clientCaFile.c_str(),
                                      nullptr) != 1) {
      error = QueuedReason(files.clientCaFile);
      ready = false;
      sk_X509_NAME_pop_free(names, X509_NAME_free);
    } else {
      SSL_CTX_set_client_CA_list(context, names);
      SSL_CTX_set_verify(
          context, SSL_VERIFY_PEER | SSL_VERIFY_FAIL_IF_NO_PEER_CERT, nullptr);
    }
  }
  if (!ready) {
    SSL_CTX_free(context);
    return false;
  }
  context_ = context;
  return true;
}

SSL* TlsServer::NewSession(int fd) const {
  SSL* ssl = SSL_new(context_);
  if (ssl != nullptr && SSL_set_fd(ssl, fd) != 1) {
    SSL_free(ssl);
    return nullptr;
  }
  return ssl;
}

std::string TlsFailureReason(SSL* ssl) {
  long verified = ssl != nullptr ? SSL_get_verify_result(ssl) : X509_V_OK;
  if (verified != X509_V_OK) {
    ERR_clear_error();
    return X509_verify_cert_error_string(verified);
  }
  unsigned long code = ERR_peek_error();
  const char* reason = code != 0 ? ERR_reason_error_string(code) : nullptr;
  ERR_clear_error();
  return reason != nullptr ? reason : "connection closed";
}

}  // namespace sim
