// The front layer's pool of keep-alive connections to one server, so that
// the 12301 path uses one TCP connection for a whole session.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "client/connection.h"

namespace emclient {

class ConnectionPool {
 public:
  // Keeps everything when already bound to `host` and `port`; otherwise
  // closes every connection and opens one to the new server (an empty port
  // means "12301"). 0, 302, or the open's code.
  int bind(const std::string& host, const std::string& port);

  // Hands out an idle connection, opening a new one when every connection
  // is in use; a broken connection is discarded first. 0, 302, or the
  // open's code.
  int acquire(const std::string& host, const std::string& port,
              ClientConnection*& connection);

  // Gives a connection back; after a failed exchange it is marked broken,
  // so the next acquire discards it.
  void release(ClientConnection& connection, bool failed);

  // Closes and destroys every connection not in use.
  void closeIdle();

  // Closes and destroys every connection and forgets the server.
  void empty();

  std::size_t size() const { return connections_.size(); }

 private:
  int openNew(const std::string& host, const std::string& port,
              ClientConnection*& connection);

  std::vector<std::unique_ptr<ClientConnection>> connections_;
  bool bound_ = false;
  std::string boundHost_;
  std::string boundPort_;
};

// The process's pool.
ConnectionPool& connectionPool();

}  // namespace emclient
