#include "loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace emclient_test {

LoopbackServer::LoopbackServer(const std::string& address, uint16_t port) {
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int yes = 1;
  setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(port);
  inet_pton(AF_INET, address.c_str(), &local.sin_addr);
  if (bind(listener_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
      listen(listener_, 8) != 0) {
    close(listener_);
    listener_ = -1;
  }
}

LoopbackServer::~LoopbackServer() {
  stopping_ = true;
  if (int connection = current_; connection >= 0) {
    shutdown(connection, SHUT_RDWR);
  }
  if (thread_.joinable()) thread_.join();
  if (listener_ >= 0) close(listener_);
}

void LoopbackServer::start(Session session) {
  thread_ = std::thread([this, session = std::move(session)] {
    while (!stopping_) {
      pollfd entry{listener_, POLLIN, 0};
      if (poll(&entry, 1, 20) <= 0) continue;
      int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (connection < 0) continue;
      ++accepted_;
      current_ = connection;
      if (!stopping_) session(connection);
      current_ = -1;
      close(connection);
    }
  });
}

void LoopbackServer::record(std::string request) {
  std::lock_guard<std::mutex> lock(mutex_);
  requests_.push_back(std::move(request));
}

std::vector<std::string> LoopbackServer::requests() {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

namespace {

bool readByte(int descriptor, char& byte) {
  for (;;) {
    ssize_t got = recv(descriptor, &byte, 1, 0);
    if (got == 1) return true;
    if (got < 0 && errno == EINTR) continue;
    return false;
  }
}

}  // namespace

// Clients never send a request before the answer to the previous one, so
// reading whatever has arrived never takes bytes of the next request.
std::string readHttpRequest(int descriptor) {
  std::string request;
  char chunk[8192];
  for (;;) {
    std::size_t headerEnd = request.find("\n\n");
    if (headerEnd != std::string::npos) {
      std::size_t header = request.find("Content-Length:");
      std::size_t length =
          header == std::string::npos || header > headerEnd
              ? 0
              : std::strtoul(request.c_str() + header + 15, nullptr, 10);
      if (request.size() >= headerEnd + 2 + length) return request;
    }
    ssize_t got = recv(descriptor, chunk, sizeof chunk, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return {};
    request.append(chunk, static_cast<std::size_t>(got));
  }
}

std::string readUntilZero(int descriptor) {
  std::string request;
  char byte = 0;
  while (readByte(descriptor, byte) && byte != '\0') request.push_back(byte);
  return request;
}

void writeAll(int descriptor, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t sent = send(descriptor, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent <= 0) return;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
}

std::string httpAnswer(std::string_view body) {
  return "HTTP/1.1 200 OK\r\nContent-Type: text/xml; charset=utf-8\r\n"
         "Content-Length: " +
         std::to_string(body.size()) + "\r\n\r\n" + std::string(body);
}

std::string textTransportAnswer(std::string_view payload) {
  std::string escaped;
  for (char c : payload) {
    if (c == '<') {
      escaped += "&lt;";
    } else if (c == '>') {
      escaped += "&gt;";
    } else {
      escaped.push_back(c);
    }
  }
  return httpAnswer(
      "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope><soap:Body>"
      "<executeTextTransportResponse><xmlPayload>" +
      escaped +
      "</xmlPayload></executeTextTransportResponse></soap:Body>"
      "</soap:Envelope>");
}

LoopbackServer::Session textTransportSession(LoopbackServer& server,
                                             Answerer answer) {
  return [&server, answer = std::move(answer)](int descriptor) {
    for (int index = 0;; ++index) {
      std::string request = readHttpRequest(descriptor);
      if (request.empty()) return;
      server.record(request);
      writeAll(descriptor, answer(index, request));
    }
  };
}

LoopbackServer::Session elmSession(LoopbackServer& server,
                                   const ElmScript& script) {
  return [&server, &script](int descriptor) {
    std::string request = readUntilZero(descriptor);
    server.record(request);
    if (request.rfind("Get /mrtlogin.htm", 0) == 0) {
      std::string page = "HTTP/1.1 200 OK\r\n\r\n<HTML>";
      if (script.giveKey) {
        page +=
            "<PARAM NAME=SessionKey VALUE=\"Corvane-HMMD=" + script.key + "\">";
      }
      writeAll(descriptor,
               script.page.empty() ? page + "\n</HTML>" : script.page);
    } else if (request.rfind("Post /Proxy/LoginResponse", 0) == 0) {
      writeAll(descriptor,
               script.grant ? "HTTP/1.0 200 Ok\r\nSet-Cookie: Corvane-HMMD=" +
                                  script.cookie + "; path=/\r\n\r\n"
                            : std::string("HTTP/1.0 403 Forbidden\r\n\r\n"));
    } else {
      writeAll(descriptor, script.answer);
    }
  };
}

}  // namespace emclient_test
