#include "client/os_error.h"

#include <cerrno>

namespace emclient {
namespace {

int lastError = 0;

struct ErrnoMeaning {
  int error;
  int socketError;
};

// Matched by meaning; the first row for an errno wins.
constexpr ErrnoMeaning kSocketErrors[] = {
    {EINTR, 10004},         {EBADF, 10009},        {EACCES, 10013},
    {EFAULT, 10014},        {EINVAL, 10022},       {EMFILE, 10024},
    {EAGAIN, 10035},        {EINPROGRESS, 10036},  {EALREADY, 10037},
    {ENOTSOCK, 10038},      {EDESTADDRREQ, 10039}, {EMSGSIZE, 10040},
    {EPROTOTYPE, 10041},    {ENOPROTOOPT, 10042},  {EPROTONOSUPPORT, 10043},
    {EOPNOTSUPP, 10045},    {EAFNOSUPPORT, 10047}, {EADDRINUSE, 10048},
    {EADDRNOTAVAIL, 10049}, {ENETDOWN, 10050},     {ENETUNREACH, 10051},
    {ENETRESET, 10052},     {ECONNABORTED, 10053}, {ECONNRESET, 10054},
    {EPIPE, 10054},         {ENOBUFS, 10055},      {EISCONN, 10056},
    {ENOTCONN, 10057},      {ESHUTDOWN, 10058},    {ETIMEDOUT, 10060},
    {ECONNREFUSED, 10061},  {EHOSTDOWN, 10064},    {EHOSTUNREACH, 10065},
};

struct SocketErrorName {
  int socketError;
  const char* name;
};

constexpr SocketErrorName kSocketErrorNames[] = {
    {10004, "WSAEINTR"},        {10014, "WSAEFAULT"},
    {10022, "WSAEINVAL"},       {10035, "WSAEWOULDBLOCK"},
    {10036, "WSAEINPROGRESS"},  {10038, "WSAENOTSOCK"},
    {10040, "WSAEMSGSIZE"},     {10045, "WSAEOPNOTSUPP"},
    {10050, "WSAENETDOWN"},     {10052, "WSAENETRESET"},
    {10053, "WSAECONNABORTED"}, {10054, "WSAECONNRESET"},
    {10057, "WSAENOTCONN"},     {10058, "WSAESHUTDOWN"},
    {10060, "WSAETIMEDOUT"},    {10093, "WSANOTINITIALISED"},
};

}  // namespace

void rememberOsError(int error) {
  if (error != 0) lastError = error;
}

int lastOsError() { return lastError; }

int socketErrorNumber(int error) {
  for (const ErrnoMeaning& row : kSocketErrors) {
    if (row.error == error) return row.socketError;
  }
  return 0;
}

const char* socketErrorName(int socketError) {
  for (const SocketErrorName& row : kSocketErrorNames) {
    if (row.socketError == socketError) return row.name;
  }
  return "Unknown extended error code";
}

}  // namespace emclient
