#include "platform/tls.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/shared_library.h"
#include "platform/tls_engine.h"

// Where the library is installed, relative to the program's directory;
// the build names it.
#ifndef PELK_TLS_LIBRARY_DIR
#define PELK_TLS_LIBRARY_DIR "../lib/pelk"
#endif

namespace platform {
namespace {

constexpr char kLibraryFile[] = "libpelk_tls.so";
// A key file larger than this is no key, and is not read whole.
constexpr off_t kLongestKeyFile = 1 << 20;

struct Loaded {
  bool tried = false;
  const PelkTlsEngine* engine = nullptr;
  std::string why;          // why it is not loaded
  std::string libraryPath;  // the test seam's choice
  void* context = nullptr;  // for `settings`
  TlsSettings settings;
};

Loaded& loaded() {
  static Loaded state;
  return state;
}

TlsFailure failureOf(int failure) {
  switch (failure) {
    case PELK_TLS_FAILURE_SETUP:
      return TlsFailure::kSetup;
    case PELK_TLS_FAILURE_EXPIRED:
      return TlsFailure::kExpired;
    case PELK_TLS_FAILURE_UNKNOWN_AUTHORITY:
      return TlsFailure::kUnknownAuthority;
    case PELK_TLS_FAILURE_NAME_MISMATCH:
      return TlsFailure::kNameMismatch;
    case PELK_TLS_FAILURE_CERTIFICATE:
      return TlsFailure::kCertificate;
    case PELK_TLS_FAILURE_SESSION:
      return TlsFailure::kSession;
    default:
      return TlsFailure::kHandshake;
  }
}

void take(const PelkTlsError& from, TlsError& error) {
  error.failure = failureOf(from.failure);
  error.reason = from.reason;
}

const PelkTlsEngine* engine(TlsError& error) {
  Loaded& state = loaded();
  if (!state.tried) {
    state.tried = true;
    void* library =
        state.libraryPath.empty()
            ? openProgramLibrary(kLibraryFile, PELK_TLS_LIBRARY_DIR, state.why)
            : openLibraryAt(state.libraryPath, state.why);
    void* entry = library != nullptr
                      ? librarySymbol(library, PELK_TLS_ENTRY_POINT)
                      : nullptr;
    if (entry != nullptr) {
      auto entryPoint = reinterpret_cast<const PelkTlsEngine* (*)()>(entry);
      const PelkTlsEngine* found = entryPoint();
      if (found != nullptr && found->abiVersion == PELK_TLS_ABI_VERSION) {
        state.engine = found;
      } else {
        state.why = std::string(kLibraryFile) + " is of another build";
      }
    } else if (library != nullptr) {
      state.why = std::string(kLibraryFile) + " is not the TLS library";
    }
  }
  if (state.engine == nullptr) {
    error = {TlsFailure::kUnavailable, state.why};
  }
  return state.engine;
}

TlsError setupError(const std::string& reason) {
  return {TlsFailure::kSetup, reason};
}

// The client key, read only when nobody but its owner, the user, may read
// it: a key others can read is no longer the user's secret.
bool readClientKey(const std::string& path, std::string& text,
                   TlsError& error) {
  // Never waits at the open, should the name be a pipe.
  int descriptor =
      open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (descriptor < 0) {
    error = setupError(path + ": " + std::strerror(errno));
    return false;
  }
  struct stat status {};
  bool read = false;
  if (fstat(descriptor, &status) != 0) {
    error = setupError(path + ": " + std::strerror(errno));
  } else if (!S_ISREG(status.st_mode)) {
    error = setupError(path + ": not a regular file");
  } else if (status.st_uid != geteuid()) {
    error = setupError(path + ": the key belongs to another user");
  } else if ((status.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
    error = setupError(path + ": other users may read the key (chmod 600 " +
                       path + ")");
  } else if (status.st_size > kLongestKeyFile) {
    error = setupError(path + ": too large for a key");
  } else {
    text.resize(static_cast<std::size_t>(status.st_size));
    std::size_t got = 0;
    while (got < text.size()) {
      ssize_t part = ::read(descriptor, text.data() + got, text.size() - got);
      if (part < 0 && errno == EINTR) continue;
      if (part <= 0) break;
      got += static_cast<std::size_t>(part);
    }
    text.resize(got);
    read = true;
  }
  ::close(descriptor);
  return read;
}

// The context for `settings`, made again only when they change.
void* contextFor(const PelkTlsEngine& tls, const TlsSettings& settings,
                 TlsError& error) {
  Loaded& state = loaded();
  if (state.context != nullptr && state.settings == settings) {
    return state.context;
  }
  if (state.context != nullptr) {
    tls.freeContext(state.context);
    state.context = nullptr;
  }
  std::string key;
  const std::string& keyFile =
      settings.keyFile.empty() ? settings.certFile : settings.keyFile;
  if (!settings.certFile.empty() && !readClientKey(keyFile, key, error)) {
    return nullptr;
  }
  if (settings.certFile.empty() && !settings.keyFile.empty()) {
    error = setupError("a client key needs its certificate (--cert)");
    return nullptr;
  }
  PelkTlsSettings given{
      settings.verifyPeer ? 1 : 0,
      settings.caFile.empty() ? nullptr : settings.caFile.c_str(),
      settings.certFile.empty() ? nullptr : settings.certFile.c_str(),
      key.data(), key.size()};
  PelkTlsError made{};
  void* context = tls.newContext(&given, &made);
  // The key's text stays in the context alone.
  explicit_bzero(key.data(), key.size());
  if (context == nullptr) {
    take(made, error);
    return nullptr;
  }
  state.context = context;
  state.settings = settings;
  return context;
}

}  // namespace

TlsSession::~TlsSession() {
  TlsError ignored;
  engine(ignored)->freeSession(session_);
}

TlsStep TlsSession::handshake(TlsError& error) {
  PelkTlsError failed{};
  int result = engine(error)->handshake(session_, &failed);
  if (result == PELK_TLS_DONE) return TlsStep::kDone;
  if (result == PELK_TLS_WANT_INPUT) return TlsStep::kWantInput;
  take(failed, error);
  return TlsStep::kFailed;
}

TlsStep TlsSession::read(char* buffer, std::size_t size, std::size_t& count,
                         TlsError& error) {
  PelkTlsError failed{};
  long result = engine(error)->read(session_, buffer, size, &failed);
  if (result > 0) {
    count = static_cast<std::size_t>(result);
    return TlsStep::kDone;
  }
  count = 0;
  if (result == -PELK_TLS_WANT_INPUT) return TlsStep::kWantInput;
  if (result == -PELK_TLS_CLOSED) return TlsStep::kClosed;
  take(failed, error);
  return TlsStep::kFailed;
}

bool TlsSession::write(std::string_view data, TlsError& error) {
  PelkTlsError failed{};
  if (engine(error)->write(session_, data.data(), data.size(), &failed) ==
      PELK_TLS_DONE) {
    return true;
  }
  take(failed, error);
  return false;
}

bool TlsSession::putInput(const char* data, std::size_t size) {
  TlsError ignored;
  return engine(ignored)->putInput(session_, data, size) == 0;
}

void TlsSession::takeOutput(std::string& records) {
  TlsError ignored;
  const PelkTlsEngine* tls = engine(ignored);
  std::size_t pending = tls->pendingOutput(session_);
  if (pending == 0) return;
  std::size_t start = records.size();
  records.resize(start + pending);
  records.resize(start +
                 tls->takeOutput(session_, records.data() + start, pending));
}

void TlsSession::close() {
  TlsError ignored;
  engine(ignored)->close(session_);
}

std::string TlsSession::description() const {
  char text[128] = {};
  TlsError ignored;
  engine(ignored)->describe(session_, text, sizeof text);
  return text;
}

std::unique_ptr<TlsSession> startTlsSession(const TlsSettings& settings,
                                            const std::string& host,
                                            TlsError& error) {
  const PelkTlsEngine* tls = engine(error);
  if (tls == nullptr) return nullptr;
  void* context = contextFor(*tls, settings, error);
  if (context == nullptr) return nullptr;
  PelkTlsError failed{};
  void* session = tls->newSession(context, host.c_str(), &failed);
  if (session == nullptr) {
    take(failed, error);
    return nullptr;
  }
  return std::unique_ptr<TlsSession>(new TlsSession(session));
}

void useTlsLibrary(const std::string& path) { loaded().libraryPath = path; }

}  // namespace platform
