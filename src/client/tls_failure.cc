#include "client/tls_failure.h"

#include "client/emclient_api.h"

namespace emclient {
namespace {

using platform::TlsFailure;

struct FailureCode {
  TlsFailure failure;
  int code;
};

constexpr FailureCode kFailureCodes[] = {
    {TlsFailure::kUnavailable, EMCLIENTAPITLS_UNAVAILABLE_ERROR},
    {TlsFailure::kSetup, EMCLIENTAPITLS_SETUP_ERROR},
    {TlsFailure::kExpired, EMCLIENTAPITLS_CERTIFICATEEXPIRED_ERROR},
    {TlsFailure::kUnknownAuthority, EMCLIENTAPITLS_UNKNOWNAUTHORITY_ERROR},
    {TlsFailure::kNameMismatch, EMCLIENTAPITLS_NAMEMISMATCH_ERROR},
    {TlsFailure::kCertificate, EMCLIENTAPITLS_CERTIFICATE_ERROR},
    {TlsFailure::kHandshake, EMCLIENTAPITLS_HANDSHAKE_ERROR},
    {TlsFailure::kSession, EMCLIENTAPITLS_SESSION_ERROR},
};

std::string lastLine;

}  // namespace

int tlsFailure(const platform::TlsError& error, const std::string& manager) {
  lastLine = "Manager " + manager + ": " + error.reason + "\n";
  for (const FailureCode& entry : kFailureCodes) {
    if (entry.failure == error.failure) return entry.code;
  }
  return EMCLIENTAPITLS_HANDSHAKE_ERROR;
}

bool isTlsCode(int code) {
  return code >= EMCLIENTAPITLS_UNAVAILABLE_ERROR &&
         code <= EMCLIENTAPITLS_SESSION_ERROR;
}

std::string tlsFailureLine() { return lastLine; }

}  // namespace emclient
