// The manager behind both ports: the model under one lock, the users, the
// login sessions of port 2301, the injected faults and the request log.
#pragma once

#include <cstdio>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "sim/answer.h"
#include "sim/faults.h"
#include "sim/model.h"
#include "sim/request.h"

namespace sim {

class Service {
 public:
  explicit Service(Model model);

  // Carries out one operation under the model lock.
  Answer Run(const OperationRequest& request);

  // Whether `secret` proves `user`: the digest of "user:password" (32
  // hexadecimal digits) or, as local clients send it, the password itself.
  bool Authenticate(std::string_view user, std::string_view secret);

  // Port 2301: a fresh 56-character session key for a login page.
  std::string IssueSessionKey();
  // Checks a login cookie (the marked key followed by the final digest) for
  // `user`; the key is used up either way. The session cookie, or nothing.
  std::optional<std::string> Login(std::string_view user,
                                   std::string_view loginCookie);
  // The user a session cookie belongs to, if any.
  std::optional<std::string> SessionUser(std::string_view cookie);

  // The whole state as scenario JSON (the users' passwords left out unless
  // asked for); replacing it from scenario JSON, where a user without a
  // password keeps the one it has.
  std::string Snapshot(bool withPasswords = true);
  bool Replace(std::string_view json, std::string& error);

  Faults& faults() { return faults_; }

  // One line per request when a log is open.
  void OpenLog(std::FILE* file) { log_ = file; }
  // Whether an operation's log line lists its properties.
  void LogProperties(bool on) { logProperties_ = on; }
  bool logsProperties() const { return logProperties_; }
  // Whether the state read by a control request shows the passwords.
  void ShowSecretsToControl(bool on) { controlShowsSecrets_ = on; }
  bool controlShowsSecrets() const { return controlShowsSecrets_; }
  void Log(std::string_view line);

 private:
  std::mutex modelMutex_;
  Model model_;
  std::mutex sessionMutex_;
  uint64_t sessionCounter_ = 0;
  std::set<std::string> markedKeys_;  // issued keys, as the client marks them
  std::map<std::string, std::string> sessions_;  // cookie -> user
  Faults faults_;
  std::mutex logMutex_;
  std::FILE* log_ = nullptr;
  bool logProperties_ = false;
  bool controlShowsSecrets_ = false;
};

// The session key with its characters 21 to 24 replaced by "0071", as the
// client sends it back.
std::string MarkSessionKey(std::string_view key);

}  // namespace sim
