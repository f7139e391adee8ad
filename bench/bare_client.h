// The bare client of the script benchmark: one request sent again and
// again on one kept connection, each answer read whole (its headers, then
// the body its Content-Length announces) and nothing done between. The
// benchmark runs it in its own process and as a program of its own
// (bare_script_client), so both runs share every line of it; it uses only
// the system's sockets, so the program is as small as a program can be.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace bare_client {

inline constexpr int kPort = 12301;

// False when the connection fails or an answer does not come whole.
inline bool sendRequests(const char* address, std::string_view request,
                         int count) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_in server{};
  server.sin_family = AF_INET;
  server.sin_port = htons(kPort);
  bool ok =
      inet_pton(AF_INET, address, &server.sin_addr) == 1 &&
      connect(fd, reinterpret_cast<sockaddr*>(&server), sizeof server) == 0;
  static char answer[1 << 20];
  for (int i = 0; ok && i < count; ++i) {
    ok = send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
         static_cast<ssize_t>(request.size());
    std::size_t have = 0;
    std::size_t whole = 0;  // known once the headers are in
    while (ok && (whole == 0 || have < whole)) {
      pollfd ready{fd, POLLIN, 0};
      ssize_t got = poll(&ready, 1, 10000) == 1
                        ? recv(fd, answer + have, sizeof answer - have - 1, 0)
                        : -1;
      ok = got > 0;
      if (!ok) break;
      have += static_cast<std::size_t>(got);
      answer[have] = '\0';
      const char* end = whole == 0 ? std::strstr(answer, "\r\n\r\n") : nullptr;
      const char* length =
          end != nullptr ? std::strstr(answer, "Content-Length: ") : nullptr;
      if (length != nullptr) {
        whole = static_cast<std::size_t>(end + 4 - answer) +
                std::strtoul(length + 16, nullptr, 10);
      }
    }
  }
  close(fd);
  return ok;
}

}  // namespace bare_client
