/* The management client library: the entry points the shell calls.
 *
 * Every operation returns an int result code: 0 is success, anything else
 * one of the EMCLIENTAPI_* codes below (the payload extraction of the 12301
 * path can also give -1). The library prints nothing; texts for the codes
 * come from EMClientAPITNGGetErrorText.
 *
 * Texts handed out (responses, messages, summaries) are new buffers
 * allocated with malloc; the caller releases them with free(). Object lists
 * are released with EMClientAPITNGFreeObjectList.
 *
 * Single-threaded: call it from one thread only. A signal recorded by the
 * platform layer's interruption handlers ends every wait of a request at
 * once; the request then fails (105, 108 or 109, the system error being
 * EINTR) and sends nothing more. */
#ifndef PELK_CLIENT_EMCLIENT_API_H_
#define PELK_CLIENT_EMCLIENT_API_H_

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes. */
enum {
  EMCLIENTAPI_SUCCESS = 0,
  EMCLIENTAPISOCKET_STARTUP_ERROR = 101,
  EMCLIENTAPISOCKET_CREATESOCKET_ERROR = 102,
  EMCLIENTAPISOCKET_FINDWBEMSERVICEPORT_ERROR = 103,
  EMCLIENTAPISOCKET_RESOLVESERVERNAME_ERROR = 104,
  EMCLIENTAPISOCKET_CONNECT_ERROR = 105,
  EMCLIENTAPISOCKET_CLOSE_ERROR = 106,
  EMCLIENTAPISOCKET_SOCKETNOTOPEN_ERROR = 107,
  EMCLIENTAPISOCKET_SEND_ERROR = 108,
  EMCLIENTAPISOCKET_RECEIVE_ERROR = 109,
  EMCLIENTAPISOCKET_SETSOCKETOPTION_ERROR = 110,
  EMCLIENTAPISOCKET_RECEIVETIMEOUT_ERROR = 111,
  EMCLIENTAPISOCKET_RECEIVEINVALIDSTRING_ERROR = 112,
  EMCLIENTAPISOCKET_CANNOTRESOLVELOCALHOSTIP_ERROR = 113,
  /* TLS to the manager (EMClientAPITNGSetTls). Their texts add a line
   * naming the manager and the reason of the last such failure. */
  EMCLIENTAPITLS_UNAVAILABLE_ERROR = 120,
  EMCLIENTAPITLS_SETUP_ERROR = 121,
  EMCLIENTAPITLS_HANDSHAKE_ERROR = 122,
  EMCLIENTAPITLS_CERTIFICATEEXPIRED_ERROR = 123,
  EMCLIENTAPITLS_UNKNOWNAUTHORITY_ERROR = 124,
  EMCLIENTAPITLS_NAMEMISMATCH_ERROR = 125,
  EMCLIENTAPITLS_CERTIFICATE_ERROR = 126,
  EMCLIENTAPITLS_SESSION_ERROR = 127,
  EMCLIENTAPI_RESQUESTINVALID_ERROR = 200,
  EMCLIENTAPI_SESSIONKEYNOTFOUND_ERROR = 201,
  EMCLIENTAPI_PERMISSIONDENIED_ERROR = 202,
  EMCLIENTAPI_INVALIDSERVERRESPONSE_ERROR = 203,
  EMCLIENTAPI_FILENOTRECEIVED_ERROR = 204,
  EMCLIENTAPI_NOCONTROLLERDATA_ERROR = 205,
  EMCLIENTAPI_INVALIDPARAMETER_ERROR = 300,
  EMCLIENTAPI_BUFFERTOOSMALL_ERROR = 301,
  EMCLIENTAPI_ALLOCATION_ERROR = 302,
  EMCLIENTAPI_OPENDEBUGFILE_ERROR = 400,
  EMCLIENTAPI_OPENPERSISTCOOKIEFILE_ERROR = 401,
  EMCLIENTAPI_OPENCLIENTFILE_ERROR = 402,
  EMCLIENTAPI_WRITECLIENTFILE_ERROR = 403,
  EMCLIENTAPI_OBJECTNOTFOUND_ERROR = 500,
  EMCLIENTAPITNG_SOAPSERVER_RESPONSE_INVALID_ERROR = 1000
};

/* The size of each text field of the version record and of the version and
 * build outputs of EMClientAPITNGGetSystemInfo. */
#define EMCLIENTAPI_TEXT_FIELD_SIZE 80

typedef struct EMClientAPITNGVersionRecord {
  char version[EMCLIENTAPI_TEXT_FIELD_SIZE];
  char buildDate[EMCLIENTAPI_TEXT_FIELD_SIZE];
} EMClientAPITNGVersionRecord;

/* One object of EMClientAPITNGGetObjectList; the list is singly linked and
 * owned by the caller. */
typedef struct ObjectListEntry {
  char* objectId;
  char* objectName;
  char* objectHexUid;
  struct ObjectListEntry* next;
} ObjectListEntry;

/* Sends one complete HTTP request text (its Host line names the manager and
 * the port: 12301 for the pooled text-transport path, 2301 for the ELM
 * path) and hands out the answer: on 12301 the XML payload, on 2301 the
 * whole HTTP answer. *response and *responseLength are cleared first.
 * retryCount 0 retries only on status 18034, up to 6 times; a positive
 * count retries on every retry-worthy status up to that many times. */
int EMClientAPITNGSendRequest(const char* request, char** response,
                              int* responseLength, int retryCount);

/* 0 when the answer is final, else the status that asks for a retry; an
 * HTML page (one with "<!DOCTYPE") always gives one. */
int EMClientAPITNGCheckRetryStatus(const char* response);

/* Closes the idle pooled connections; the shell calls it once at exit. */
int EMClientAPITNGCloseConnections(void);

/* 1: receives and pool waits never time out (the shell sets it at start). */
int EMClientAPITNGSetWaitForever(int waitForever);

/* Bounds the whole exchange of each later request, wait-forever or not:
 * connecting, sending and the complete answer, however slowly its bytes
 * come, with the library's reopening, fallback and retries (and their
 * pauses) counted in. Past the bound the request fails with
 * EMCLIENTAPISOCKET_RECEIVETIMEOUT_ERROR. 0, the default, sets no bound;
 * a negative value counts as 0. Returns the bound in force before, so one
 * request can be given a bound of its own:
 *   int previous = EMClientAPITNGSetRequestTimeout(1000);
 *   result = EMClientAPITNGSendRequest(...);
 *   EMClientAPITNGSetRequestTimeout(previous); */
int EMClientAPITNGSetRequestTimeout(int milliseconds);

/* 1: every connection made from now on, on either port, goes over TLS,
 * its server verified as EMClientAPITNGSetTlsFiles says; 0 (the default):
 * in clear text. A change closes the pooled connections, so that none made
 * the other way is used again. Once on, nothing is sent in clear: not by
 * the fallback between the ports, a retry or a reopened connection. A
 * failed handshake gives one of the EMCLIENTAPITLS codes and is neither
 * retried nor taken for a refused connection. */
int EMClientAPITNGSetTls(int useTls);

/* How servers reached over TLS are trusted, and the client's certificate.
 * caFile: a bundle of certificate authorities, null for the system's store;
 * certFile and keyFile: the client's certificate and key for servers that
 * ask for one (null: none; a null keyFile means the key is in certFile);
 * a key file that other users may read is refused (121). verifyServer 0
 * checks neither the certificate nor the server's name. The files are read
 * at the first TLS connection after the call. */
int EMClientAPITNGSetTlsFiles(const char* caFile, const char* certFile,
                              const char* keyFile, int verifyServer);

/* Writes the library's version and build date; 300 for a null record. */
int EMClientAPITNGGetVersion(EMClientAPITNGVersionRecord* record);

/* Writes the text of a result code into buffer (bufferSize bytes with its
 * terminating zero); 301 when it does not fit. */
int EMClientAPITNGGetErrorText(int code, char* buffer, int bufferSize);
int EMClientAPIGetErrorText(int code, char* buffer, int bufferSize);

/* Debug log level of both layers (0 off, 1 requests and answers, 2 every
 * step) and its file name (null keeps the current one, empty means
 * "EMClientAPIDebug.txt"). FILE_NAME, FILE_SIZE and LOG_LEVEL in the
 * environment override them at every write. */
int EMClientAPITNGSetDebugMode(int level, const char* fileName);
int EMClientAPISetDebugMode(int level, const char* fileName);

/* The ELM path on port 2301; the front layer calls it. */
int EMClientAPISendRequest(const char* request, char** response,
                           int* responseLength, int retryCount);

/* Direct operations. host is the manager's host without a port; user and
 * password are sent in the request and replaced on the way. */

/* version and build are 80-byte outputs, "unknown" unless the answer says
 * otherwise. */
int EMClientAPITNGGetSystemInfo(const char* host, const char* user,
                                const char* password, char* version,
                                char* build);
int EMClientAPITNGDiscoverStorageCell(const char* host, const char* user,
                                      const char* password);
/* Appends the objects of objectType in the cell to *list. */
int EMClientAPITNGGetObjectList(const char* host, const char* user,
                                const char* password, const char* cellId,
                                const char* objectType, ObjectListEntry** list);
/* diskNames: comma-separated name prefixes, empty for every disk. *message
 * is set to null, then to the server's status message when there is one. */
int EMClientAPITNGStartDiskExercise(const char* host, const char* user,
                                    const char* password, const char* diskNames,
                                    const char* cellId, char** message);
/* *message is left untouched when the answer carries no status message. */
int EMClientAPITNGStopDiskExercise(const char* host, const char* user,
                                   const char* password, const char* cellId,
                                   char** message);
/* *summary is always set (to a default text when the answer has none). */
int EMClientAPITNGDiskExerciseSummary(const char* host, const char* user,
                                      const char* password, const char* cellId,
                                      char** summary);

/* Releases a list built by EMClientAPITNGGetObjectList. */
void EMClientAPITNGFreeObjectList(ObjectListEntry* list);

#ifdef __cplusplus
}
#endif

#endif /* PELK_CLIENT_EMCLIENT_API_H_ */
