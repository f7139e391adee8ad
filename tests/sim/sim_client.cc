#include "sim_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <thread>

#include "sim/demo_scenario.h"
#include "sim/digest.h"
#include "sim/scenario.h"

namespace simtest {
namespace {

// In one pass, so answers of millions of elements stay quick to read.
void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  std::string out;
  out.reserve(text.size());
  size_t at = 0;
  for (size_t match; (match = text.find(from, at)) != std::string::npos;
       at = match + from.size()) {
    out.append(text, at, match - at);
    out.append(to);
  }
  out.append(text, at);
  text = std::move(out);
}

std::string Between(std::string_view text, std::string_view open,
                    std::string_view close) {
  size_t start = text.find(open);
  if (start == std::string_view::npos) return "";
  start += open.size();
  size_t end = text.find(close, start);
  return end == std::string_view::npos
             ? ""
             : std::string(text.substr(start, end - start));
}

}  // namespace

Connection::Connection(const std::string& address, int port) {
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_port = htons(static_cast<uint16_t>(port));
  inet_pton(AF_INET, address.c_str(), &where.sin_addr);
  fd_ = socket(AF_INET, SOCK_STREAM, 0);
  if (connect(fd_, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0) {
    close(fd_);
    fd_ = -1;
  }
}

Connection::~Connection() {
  if (fd_ >= 0) close(fd_);
}

bool Connection::Send(std::string_view bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    ssize_t n =
        send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

std::string Connection::ReadAnswer(int timeoutMs) {
  while (true) {
    size_t headerEnd = pending_.find("\r\n\r\n");
    if (headerEnd != std::string::npos) {
      std::string length = Between(pending_.substr(0, headerEnd + 2),
                                   "Content-Length: ", "\r\n");
      size_t total =
          headerEnd + 4 +
          static_cast<size_t>(std::stoul(length.empty() ? "0" : length));
      if (pending_.size() >= total) {
        std::string answer = pending_.substr(0, total);
        pending_.erase(0, total);
        return answer;
      }
    }
    pollfd ready{fd_, POLLIN, 0};
    if (poll(&ready, 1, timeoutMs) <= 0) return "";
    char chunk[65536];
    ssize_t n = recv(fd_, chunk, sizeof chunk, 0);
    if (n <= 0) return "";
    pending_.append(chunk, static_cast<size_t>(n));
  }
}

std::string Connection::ReadSome(int timeoutMs) {
  pollfd ready{fd_, POLLIN, 0};
  if (poll(&ready, 1, timeoutMs) <= 0) return "";
  char chunk[65536];
  ssize_t n = recv(fd_, chunk, sizeof chunk, 0);
  return n > 0 ? std::string(chunk, static_cast<size_t>(n)) : "";
}

std::string Connection::ReadUntilClosed(int timeoutMs) {
  std::string all = std::move(pending_);
  pending_.clear();
  while (true) {
    pollfd ready{fd_, POLLIN, 0};
    if (poll(&ready, 1, timeoutMs) <= 0) return all;
    char chunk[65536];
    ssize_t n = recv(fd_, chunk, sizeof chunk, 0);
    if (n <= 0) return all;
    all.append(chunk, static_cast<size_t>(n));
  }
}

bool Connection::ClosedByPeer(int timeoutMs) {
  pollfd ready{fd_, POLLIN, 0};
  if (poll(&ready, 1, timeoutMs) <= 0) return false;
  char byte;
  return recv(fd_, &byte, 1, 0) <= 0;
}

void Connection::Abort() {
  linger reset{1, 0};
  setsockopt(fd_, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
  close(fd_);
  fd_ = -1;
}

std::string V1Envelope(
    std::string_view operation, std::string_view type,
    const std::vector<std::pair<std::string, std::string>>& properties) {
  std::string text =
      "<SOAP:Envelope xmlns:SOAP=\"urn:schemas-xmlsoap-org:soap.v1\">\n"
      "<SOAP:Body=corvane-fenmoor:zorapi.v1>\n<m:" +
      std::string(operation) + " xmlns:m=\"TALLOW-URI\">\n";
  for (const auto& [name, value] : properties) {
    text += "<" + name + " xsd:type=\"string\">" + value + "</" + name + ">\n";
  }
  text += "<Type xsd:type=\"string\">" + std::string(type) +
          "</Type>\n</m:" + std::string(operation) +
          ">\n</SOAP:Body>\n</SOAP:Envelope>\n";
  return text;
}

std::string V3Envelope(
    std::string_view operation,
    const std::vector<std::pair<std::string, std::string>>& properties,
    std::string_view version) {
  std::string text =
      "<Envelope "
      "xmlns='http://manager.example/zorapiv32'>\n<Header>\n<version>" +
      std::string(version) +
      "</version>\n<application>\n<hostip>127.0.0.1</hostip>\n"
      "</application>\n<disablevalidation/>\n</Header>\n<Body>\n"
      "<NsaServerOperation>\n<" +
      std::string(operation) + ">\n";
  for (const auto& [name, value] : properties) {
    text += "<" + name + ">" + value + "</" + name + ">\n";
  }
  text += "</" + std::string(operation) +
          ">\n</NsaServerOperation>\n</Body>\n</Envelope>\n";
  return text;
}

std::string TextTransportRequest(std::string_view address,
                                 std::string_view envelope,
                                 std::string_view user,
                                 std::string_view password) {
  std::string credentials =
      std::string(user) + ":" +
      sim::Md5Hex(std::string(user) + ":" + std::string(password));
  std::string encoded = sim::EncodeBase64(credentials);
  std::string broken;
  for (size_t i = 0; i < encoded.size(); i += 76) {
    broken += encoded.substr(i, 76);
    if (encoded.size() - i >= 76) broken += "\r\n";
  }
  std::string payload(envelope);
  ReplaceAll(payload, "<", "&lt;");
  ReplaceAll(payload, ">", "&gt;");
  std::string body =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
      "<soap:Envelope "
      "xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"\n"
      "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\"\n"
      "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n<soap:Body>\n"
      "<m:executeTextTransport "
      "xmlns:m=\"urn:Dunmore-Fenwall:BridgeXMLInterface.v3\">\n"
      "<xmlPayload>" +
      payload +
      "</xmlPayload>\n</m:executeTextTransport>\n</soap:Body>\n</"
      "soap:Envelope>";
  return "POST /zorbridge HTTP/1.1\nHost:" + std::string(address) +
         ":12301\nUser-Agent: SoapClient 1.0\nAuthorization: Basic " + broken +
         "\nContent-Type:text/xml; charset=utf-8\nContent-Length:" +
         std::to_string(body.size()) +
         "\nSOAPAction:\"urn:Dunmore-Fenwall:BridgeXMLInterface.v3/"
         "executeTextTransport\"\n\n" +
         body;
}

std::string Payload(std::string_view answer) {
  std::string payload = Between(answer, "<xmlPayload>", "</xmlPayload>");
  ReplaceAll(payload, "&lt;", "<");
  ReplaceAll(payload, "&gt;", ">");
  return payload;
}

std::vector<std::string> Values(std::string_view xml, std::string_view tag) {
  std::vector<std::string> values;
  std::string open = std::string("<").append(tag).append(">");
  std::string close = std::string("</").append(tag).append(">");
  size_t at = 0;
  while ((at = xml.find(open, at)) != std::string_view::npos) {
    at += open.size();
    size_t end = xml.find(close, at);
    if (end == std::string_view::npos) break;
    values.emplace_back(xml.substr(at, end - at));
    at = end;
  }
  return values;
}

std::string ElmLogin(const std::string& address, std::string_view user,
                     std::string_view password) {
  Connection page(address, 2301);
  page.Send(std::string("Get /mrtlogin.htm HTTP/1.1\nHost:") + address +
            ":2301\nContent-Type:text/xml\nContent-Length:0\n\n" +
            std::string(1, '\0'));
  std::string key =
      Between(page.ReadUntilClosed(), "VALUE=\"Corvane-HMMD=", "\"");
  if (key.size() != 56) return "";
  std::string marked = sim::MarkSessionKey(key);
  std::string userName(user);
  std::string digest =
      sim::Md5Hex("Corvane-HMMD=" + marked + userName +
                  sim::Md5Hex(userName + ":" + std::string(password)));
  Connection login(address, 2301);
  login.Send(
      "Post /Proxy/LoginResponse HTTP/1.0\nAccept:*/*\nCookie: Corvane-HMMD=" +
      marked + digest + "\nCorvane-WBEM-UserName:" + userName + "\n" +
      std::string(1, '\0'));
  std::string answer = login.ReadUntilClosed();
  if (answer.find("HTTP/1.0 200 Ok") == std::string::npos) return "";
  return Between(answer, "Set-Cookie: Corvane-HMMD=", ";");
}

std::string ElmRequest(const std::string& address, std::string_view cookie,
                       std::string_view path, std::string_view envelope) {
  std::string flat;
  for (char c : envelope) {
    if (c != '\n' && c != '\r' && c != '\t') flat += c;
  }
  Connection connection(address, 2301);
  connection.Send("POST " + std::string(path) + " HTTP/1.1\nHost:" + address +
                  ":2301\nCookie: Corvane-HMMD=" + std::string(cookie) +
                  "\nContent-Type: text/SOAP\nContent-Length: " +
                  std::to_string(flat.size()) + "\nSOAP Action:\"Get\"\n\n" +
                  flat + std::string(1, '\0'));
  return connection.ReadUntilClosed();
}

RunningServer::RunningServer(const std::string& address,
                             sim::ServerOptions options)
    : address_(address) {
  sim::Model model;
  std::string error;
  sim::LoadScenario(sim::kDemoScenario, model, error);
  service_ = std::make_unique<sim::Service>(std::move(model));
  options.address = address;
  server_ = std::make_unique<sim::Server>(*service_, options);
  if (!server_->Start(error)) {
    // The test's requests then fail and say so.
    std::fprintf(stderr, "test server on %s: %s\n", address.c_str(),
                 error.c_str());
    return;
  }
  thread_ = std::make_unique<std::thread>([this] { server_->Run(); });
}

RunningServer::~RunningServer() {
  server_->Stop();
  if (thread_) thread_->join();
}

std::string RunningServer::Text(std::string_view envelope,
                                std::string_view user,
                                std::string_view password) {
  Connection connection(address_, textPort());
  connection.Send(TextTransportRequest(address_, envelope, user, password));
  return Payload(connection.ReadAnswer());
}

std::string RunningServer::Control(std::string_view method,
                                   std::string_view target,
                                   std::string_view body) {
  Connection connection(address_, textPort());
  connection.Send(std::string(method) + " " + std::string(target) +
                  " HTTP/1.1\r\nContent-Length: " +
                  std::to_string(body.size()) + "\r\n\r\n" + std::string(body));
  std::string answer = connection.ReadAnswer();
  size_t body_start = answer.find("\r\n\r\n");
  return body_start == std::string::npos ? "" : answer.substr(body_start + 4);
}

}  // namespace simtest
