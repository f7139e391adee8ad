/* The interface of the TLS library, libpelk_tls.so: a shared object of the
 * program's own, linked with the system's libssl, which the program loads
 * only when it reaches a manager over TLS, so that a run that never does
 * pays nothing for it at start.
 *
 * The library does no input or output of its own: the program moves the
 * records between the socket and the session (putInput, takeOutput), and
 * the library turns them into plain bytes and back. Only C types cross
 * the interface, so neither side needs the other's C++ runtime. */
#ifndef PELK_PLATFORM_TLS_ENGINE_H_
#define PELK_PLATFORM_TLS_ENGINE_H_

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Raised whenever the table below changes, so that a library left from
 * another build is refused rather than called wrongly. */
#define PELK_TLS_ABI_VERSION 1
#define PELK_TLS_ENTRY_POINT "pelk_tls_engine"

typedef struct PelkTlsSettings {
  int verifyPeer;       /* 0: neither the certificate nor the name checked */
  const char* caFile;   /* null: the system's certificate store */
  const char* certFile; /* null: no client certificate */
  const char* keyText;  /* the client key in PEM, keyTextSize bytes */
  size_t keyTextSize;
} PelkTlsSettings;

/* What a step of a session came to. */
enum {
  PELK_TLS_DONE = 0,
  PELK_TLS_WANT_INPUT = 1, /* more records from the server are needed */
  PELK_TLS_CLOSED = 2,     /* the server ended the session cleanly */
  PELK_TLS_FAILED = 3
};

/* Why a step failed. */
enum {
  PELK_TLS_FAILURE_NONE = 0,
  PELK_TLS_FAILURE_SETUP = 1, /* CA file, certificate or key unusable */
  PELK_TLS_FAILURE_EXPIRED = 2,
  PELK_TLS_FAILURE_UNKNOWN_AUTHORITY = 3,
  PELK_TLS_FAILURE_NAME_MISMATCH = 4,
  PELK_TLS_FAILURE_CERTIFICATE = 5, /* refused for another reason */
  PELK_TLS_FAILURE_HANDSHAKE = 6,
  PELK_TLS_FAILURE_SESSION = 7 /* a record after the handshake */
};

typedef struct PelkTlsError {
  int failure;
  char reason[256];
} PelkTlsError;

typedef struct PelkTlsEngine {
  int abiVersion;
  /* A client context for these settings; null with `error` set. */
  void* (*newContext)(const PelkTlsSettings* settings, PelkTlsError* error);
  void (*freeContext)(void* context);
  /* A session to `host`, a name or an IP address without brackets, whose
   * certificate must name it when the context verifies. */
  void* (*newSession)(void* context, const char* host, PelkTlsError* error);
  void (*freeSession)(void* session);
  /* Records received from the server. 0, or -1 when out of memory. */
  int (*putInput)(void* session, const char* data, size_t size);
  /* Takes up to `size` bytes of the records waiting to be sent. */
  size_t (*takeOutput)(void* session, char* buffer, size_t size);
  size_t (*pendingOutput)(void* session);
  /* PELK_TLS_DONE, PELK_TLS_WANT_INPUT or PELK_TLS_FAILED. */
  int (*handshake)(void* session, PelkTlsError* error);
  /* Plain bytes read (more than 0), or minus PELK_TLS_WANT_INPUT,
   * PELK_TLS_CLOSED or PELK_TLS_FAILED. */
  long (*read)(void* session, char* buffer, size_t size, PelkTlsError* error);
  /* Turns all of `data` into records waiting to be sent. PELK_TLS_DONE or
   * PELK_TLS_FAILED. */
  int (*write)(void* session, const char* data, size_t size,
               PelkTlsError* error);
  /* Queues the alert that ends the session. */
  void (*close)(void* session);
  /* The protocol and cipher, as "TLSv1.3 TLS_AES_256_GCM_SHA384". */
  void (*describe)(void* session, char* buffer, size_t size);
} PelkTlsEngine;

/* The library's one exported function. */
const PelkTlsEngine* pelk_tls_engine(void);

#ifdef __cplusplus
}
#endif

#endif /* PELK_PLATFORM_TLS_ENGINE_H_ */
