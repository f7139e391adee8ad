// libpelk_tls.so: the client side of TLS with the system's libssl, over
// memory buffers that the program fills from its socket and empties into
// it. Written against the C library alone, so that the shared object needs
// no C++ runtime beside libssl.
#include "platform/tls_engine.h"

#include <arpa/inet.h>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <cstdlib>

namespace {

struct Session {
  SSL* ssl;
  BIO* input;   // records from the server, read by libssl
  BIO* output;  // records for the server, written by libssl
};

void setError(PelkTlsError* error, int failure, const char* reason) {
  if (error == nullptr) return;
  error->failure = failure;
  std::snprintf(error->reason, sizeof error->reason, "%s", reason);
}

// The reason of the oldest error libssl queued, the queue then emptied.
void setQueuedError(PelkTlsError* error, int failure, const char* context) {
  unsigned long code = ERR_peek_error();
  const char* reason = code != 0 ? ERR_reason_error_string(code) : nullptr;
  char text[sizeof error->reason];
  if (context != nullptr) {
    std::snprintf(text, sizeof text, "%s: %s", context,
                  reason != nullptr ? reason : "not usable");
  } else {
    std::snprintf(text, sizeof text, "%s",
                  reason != nullptr ? reason : "connection closed");
  }
  ERR_clear_error();
  setError(error, failure, text);
}

// A key with a passphrase cannot be asked for: nobody may be at a terminal.
int noPassphrase(char*, int, int, void*) { return -1; }

struct VerifyClass {
  long code;
  int failure;
};

constexpr VerifyClass kVerifyClasses[] = {
    {X509_V_ERR_CERT_HAS_EXPIRED, PELK_TLS_FAILURE_EXPIRED},
    {X509_V_ERR_CERT_NOT_YET_VALID, PELK_TLS_FAILURE_EXPIRED},
    {X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT, PELK_TLS_FAILURE_UNKNOWN_AUTHORITY},
    {X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY,
     PELK_TLS_FAILURE_UNKNOWN_AUTHORITY},
    {X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT,
     PELK_TLS_FAILURE_UNKNOWN_AUTHORITY},
    {X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN, PELK_TLS_FAILURE_UNKNOWN_AUTHORITY},
    {X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE,
     PELK_TLS_FAILURE_UNKNOWN_AUTHORITY},
    {X509_V_ERR_CERT_UNTRUSTED, PELK_TLS_FAILURE_UNKNOWN_AUTHORITY},
    {X509_V_ERR_HOSTNAME_MISMATCH, PELK_TLS_FAILURE_NAME_MISMATCH},
    {X509_V_ERR_IP_ADDRESS_MISMATCH, PELK_TLS_FAILURE_NAME_MISMATCH},
};

int verifyFailure(long code) {
  for (const VerifyClass& entry : kVerifyClasses) {
    if (entry.code == code) return entry.failure;
  }
  return PELK_TLS_FAILURE_CERTIFICATE;
}

bool isAddress(const char* host) {
  unsigned char bytes[16];
  return inet_pton(AF_INET, host, bytes) == 1 ||
         inet_pton(AF_INET6, host, bytes) == 1;
}

bool useClientKey(SSL_CTX* context, const PelkTlsSettings* settings,
                  PelkTlsError* error) {
  if (SSL_CTX_use_certificate_chain_file(context, settings->certFile) != 1) {
    setQueuedError(error, PELK_TLS_FAILURE_SETUP, settings->certFile);
    return false;
  }
  BIO* text = BIO_new_mem_buf(settings->keyText,
                              static_cast<int>(settings->keyTextSize));
  EVP_PKEY* key = text != nullptr ? PEM_read_bio_PrivateKey(
                                        text, nullptr, noPassphrase, nullptr)
                                  : nullptr;
  BIO_free(text);
  bool used = key != nullptr && SSL_CTX_use_PrivateKey(context, key) == 1 &&
              SSL_CTX_check_private_key(context) == 1;
  EVP_PKEY_free(key);
  if (!used) setQueuedError(error, PELK_TLS_FAILURE_SETUP, "client key");
  return used;
}

void* newContext(const PelkTlsSettings* settings, PelkTlsError* error) {
  ERR_clear_error();
  SSL_CTX* context = SSL_CTX_new(TLS_client_method());
  if (context == nullptr) {
    setQueuedError(error, PELK_TLS_FAILURE_SETUP, "context");
    return nullptr;
  }
  SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION);
  bool ready = true;
  if (settings->verifyPeer != 0) {
    SSL_CTX_set_verify(context, SSL_VERIFY_PEER, nullptr);
    if (settings->caFile != nullptr) {
      if (SSL_CTX_load_verify_locations(context, settings->caFile, nullptr) !=
          1) {
        setQueuedError(error, PELK_TLS_FAILURE_SETUP, settings->caFile);
        ready = false;
      }
    } else if (SSL_CTX_set_default_verify_paths(context) != 1) {
      setQueuedError(error, PELK_TLS_FAILURE_SETUP, "system certificates");
      ready = false;
    }
  } else {
    SSL_CTX_set_verify(context, SSL_VERIFY_NONE, nullptr);
  }
  if (ready && settings->certFile != nullptr) {
    ready = useClientKey(context, settings, error);
  }
  if (!ready) {
    SSL_CTX_free(context);
    return nullptr;
  }
  return context;
}

void freeContext(void* context) {
  SSL_CTX_free(static_cast<SSL_CTX*>(context));
}

void* newSession(void* context, const char* host, PelkTlsError* error) {
  ERR_clear_error();
  auto* session = static_cast<Session*>(std::calloc(1, sizeof(Session)));
  if (session == nullptr) {
    setError(error, PELK_TLS_FAILURE_SETUP, "out of memory");
    return nullptr;
  }
  session->ssl = SSL_new(static_cast<SSL_CTX*>(context));
  session->input = BIO_new(BIO_s_mem());
  session->output = BIO_new(BIO_s_mem());
  if (session->ssl == nullptr || session->input == nullptr ||
      session->output == nullptr) {
    BIO_free(session->input);
    BIO_free(session->output);
    SSL_free(session->ssl);
    std::free(session);
    setQueuedError(error, PELK_TLS_FAILURE_SETUP, "session");
    return nullptr;
  }
  // An empty input asks for more rather than ending the session.
  BIO_set_mem_eof_return(session->input, -1);
  SSL_set_bio(session->ssl, session->input, session->output);
  SSL_set_connect_state(session->ssl);
  bool named;
  if (isAddress(host)) {
    named =
        X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(session->ssl), host) == 1;
  } else {
    SSL_set_hostflags(session->ssl, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
    named = SSL_set_tlsext_host_name(session->ssl, host) == 1 &&
            SSL_set1_host(session->ssl, host) == 1;
  }
  if (!named) {
    SSL_free(session->ssl);
    std::free(session);
    setQueuedError(error, PELK_TLS_FAILURE_SETUP, host);
    return nullptr;
  }
  return session;
}

void freeSession(void* opaque) {
  auto* session = static_cast<Session*>(opaque);
  if (session == nullptr) return;
  SSL_free(session->ssl);  // frees both buffers with it
  std::free(session);
}

int putInput(void* opaque, const char* data, size_t size) {
  auto* session = static_cast<Session*>(opaque);
  while (size > 0) {
    int part = size > 1u << 30 ? 1 << 30 : static_cast<int>(size);
    int written = BIO_write(session->input, data, part);
    if (written <= 0) return -1;
    data += written;
    size -= static_cast<size_t>(written);
  }
  return 0;
}

size_t takeOutput(void* opaque, char* buffer, size_t size) {
  auto* session = static_cast<Session*>(opaque);
  int part = size > 1u << 30 ? 1 << 30 : static_cast<int>(size);
  int taken = BIO_read(session->output, buffer, part);
  return taken > 0 ? static_cast<size_t>(taken) : 0;
}

size_t pendingOutput(void* opaque) {
  return BIO_ctrl_pending(static_cast<Session*>(opaque)->output);
}

// The verification's own reason when it refused the certificate, else
// what libssl queued.
int failure(Session* session, int failureKind, PelkTlsError* error) {
  long verified = SSL_get_verify_result(session->ssl);
  if (verified != X509_V_OK) {
    ERR_clear_error();
    setError(error, verifyFailure(verified),
             X509_verify_cert_error_string(verified));
  } else {
    setQueuedError(error, failureKind, nullptr);
  }
  return PELK_TLS_FAILED;
}

int handshake(void* opaque, PelkTlsError* error) {
  auto* session = static_cast<Session*>(opaque);
  ERR_clear_error();
  int result = SSL_do_handshake(session->ssl);
  if (result == 1) return PELK_TLS_DONE;
  int reason = SSL_get_error(session->ssl, result);
  if (reason == SSL_ERROR_WANT_READ || reason == SSL_ERROR_WANT_WRITE) {
    return PELK_TLS_WANT_INPUT;
  }
  return failure(session, PELK_TLS_FAILURE_HANDSHAKE, error);
}

long readPlain(void* opaque, char* buffer, size_t size, PelkTlsError* error) {
  auto* session = static_cast<Session*>(opaque);
  ERR_clear_error();
  int part = size > 1u << 30 ? 1 << 30 : static_cast<int>(size);
  int result = SSL_read(session->ssl, buffer, part);
  if (result > 0) return result;
  switch (SSL_get_error(session->ssl, result)) {
    case SSL_ERROR_WANT_READ:
    case SSL_ERROR_WANT_WRITE:
      return -PELK_TLS_WANT_INPUT;
    case SSL_ERROR_ZERO_RETURN:
      return -PELK_TLS_CLOSED;
    default:
      return -failure(session, PELK_TLS_FAILURE_SESSION, error);
  }
}

int writePlain(void* opaque, const char* data, size_t size,
               PelkTlsError* error) {
  auto* session = static_cast<Session*>(opaque);
  ERR_clear_error();
  while (size > 0) {
    int part = size > 1u << 30 ? 1 << 30 : static_cast<int>(size);
    int written = SSL_write(session->ssl, data, part);
    if (written <= 0) {
      setQueuedError(error, PELK_TLS_FAILURE_SESSION, nullptr);
      return PELK_TLS_FAILED;
    }
    data += written;
    size -= static_cast<size_t>(written);
  }
  return PELK_TLS_DONE;
}

void closeSession(void* opaque) {
  auto* session = static_cast<Session*>(opaque);
  ERR_clear_error();
  SSL_shutdown(session->ssl);
  ERR_clear_error();
}

void describe(void* opaque, char* buffer, size_t size) {
  auto* session = static_cast<Session*>(opaque);
  std::snprintf(buffer, size, "%s %s", SSL_get_version(session->ssl),
                SSL_get_cipher_name(session->ssl));
}

constexpr PelkTlsEngine kEngine = {
    PELK_TLS_ABI_VERSION,
    newContext,
    freeContext,
    newSession,
    freeSession,
    putInput,
    takeOutput,
    pendingOutput,
    handshake,
    readPlain,
    writePlain,
    closeSession,
    describe,
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const PelkTlsEngine*
pelk_tls_engine(void) {
  return &kEngine;
}
