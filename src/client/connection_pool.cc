#include "client/connection_pool.h"

#include <algorithm>
#include <new>

#include "client/emclient_api.h"
#include "client/protocol_names.h"

namespace emclient {
namespace {

const std::string& portOrDefault(const std::string& port) {
  static const std::string kDefaultPort = kManagerPort;
  return port.empty() ? kDefaultPort : port;
}

}  // namespace

int ConnectionPool::openNew(const std::string& host, const std::string& port,
                            ClientConnection*& connection) {
  std::unique_ptr<ClientConnection> made(new (std::nothrow)
                                             ClientConnection(Layer::kFront));
  if (made == nullptr) return EMCLIENTAPI_ALLOCATION_ERROR;
  if (int result = made->open(host, portOrDefault(port), true); result != 0) {
    return result;
  }
  connection = made.get();
  connections_.push_back(std::move(made));
  return EMCLIENTAPI_SUCCESS;
}

int ConnectionPool::bind(const std::string& host, const std::string& port) {
  const std::string& wanted = portOrDefault(port);
  if (bound_ && host == boundHost_ && wanted == boundPort_) {
    return EMCLIENTAPI_SUCCESS;
  }
  empty();
  ClientConnection* connection = nullptr;
  if (int result = openNew(host, wanted, connection); result != 0) {
    return result;
  }
  bound_ = true;
  boundHost_ = host;
  boundPort_ = wanted;
  return EMCLIENTAPI_SUCCESS;
}

int ConnectionPool::acquire(const std::string& host, const std::string& port,
                            ClientConnection*& connection) {
  auto broken = std::find_if(connections_.begin(), connections_.end(),
                             [](const auto& c) { return c->broken; });
  if (broken != connections_.end()) connections_.erase(broken);
  auto idle = std::find_if(connections_.begin(), connections_.end(),
                           [](const auto& c) { return !c->inUse; });
  if (idle != connections_.end()) {
    connection = idle->get();
  } else if (int result = openNew(host, port, connection); result != 0) {
    return result;
  }
  connection->inUse = true;
  return EMCLIENTAPI_SUCCESS;
}

void ConnectionPool::release(ClientConnection& connection, bool failed) {
  connection.inUse = false;
  if (failed) connection.broken = true;
}

void ConnectionPool::closeIdle() {
  std::erase_if(connections_, [](const auto& c) { return !c->inUse; });
}

void ConnectionPool::empty() {
  connections_.clear();
  bound_ = false;
  boundHost_.clear();
  boundPort_.clear();
}

ConnectionPool& connectionPool() {
  static ConnectionPool pool;
  return pool;
}

}  // namespace emclient
