#include "sim/service.h"

#include <ctime>

#include "sim/digest.h"
#include "sim/operations.h"
#include "sim/scenario.h"
#include "sim/text.h"

namespace sim {
namespace {

constexpr size_t kKeyLength = 56;
constexpr size_t kMaxOpenKeys = 1024;
constexpr size_t kMaxSessions = 4096;

}  // namespace

std::string MarkSessionKey(std::string_view key) {
  std::string marked(key);
  if (marked.size() >= 24) marked.replace(20, 4, "0071");
  return marked;
}

Service::Service(Model model) : model_(std::move(model)) {}

Answer Service::Run(const OperationRequest& request) {
  std::lock_guard lock(modelMutex_);
  return Execute(model_, request);
}

bool Service::Authenticate(std::string_view user, std::string_view secret) {
  std::lock_guard lock(modelMutex_);
  for (const User& known : model_.users) {
    if (known.name != user) continue;
    std::string digest = Md5Hex(known.name + ":" + known.password);
    if (EqualsIgnoringCase(secret, digest) || secret == known.password) {
      return true;
    }
  }
  return false;
}

std::string Service::IssueSessionKey() {
  std::lock_guard lock(sessionMutex_);
  std::string seed = "session-key-" + std::to_string(++sessionCounter_) + "-" +
                     std::to_string(std::time(nullptr));
  std::string key = (Md5Hex(seed) + Md5Hex(seed + "+")).substr(0, kKeyLength);
  if (markedKeys_.size() >= kMaxOpenKeys) markedKeys_.clear();
  markedKeys_.insert(MarkSessionKey(key));
  return key;
}

std::optional<std::string> Service::Login(std::string_view user,
                                          std::string_view loginCookie) {
  if (loginCookie.size() != kKeyLength + 32) return std::nullopt;
  std::string marked(loginCookie.substr(0, kKeyLength));
  std::string digest(loginCookie.substr(kKeyLength));
  {
    std::lock_guard lock(sessionMutex_);
    if (markedKeys_.erase(marked) == 0) return std::nullopt;
  }
  std::string password;
  bool known = false;
  {
    std::lock_guard lock(modelMutex_);
    for (const User& candidate : model_.users) {
      if (candidate.name == user) {
        password = candidate.password;
        known = true;
      }
    }
  }
  if (!known) return std::nullopt;
  std::string userName(user);
  std::string expected = Md5Hex("Corvane-HMMD=" + marked + userName +
                                Md5Hex(userName + ":" + password));
  if (!EqualsIgnoringCase(digest, expected)) return std::nullopt;
  std::lock_guard lock(sessionMutex_);
  std::string seed = "session-" + std::to_string(++sessionCounter_) + marked;
  std::string cookie =
      (Md5Hex(seed) + Md5Hex(seed + "+")).substr(0, kKeyLength);
  if (sessions_.size() >= kMaxSessions) sessions_.clear();
  sessions_[cookie] = userName;
  return cookie;
}

std::optional<std::string> Service::SessionUser(std::string_view cookie) {
  std::lock_guard lock(sessionMutex_);
  auto found = sessions_.find(std::string(cookie));
  if (found == sessions_.end()) return std::nullopt;
  return found->second;
}

std::string Service::Snapshot(bool withPasswords) {
  std::lock_guard lock(modelMutex_);
  return SaveScenario(model_, withPasswords);
}

bool Service::Replace(std::string_view json, std::string& error) {
  std::vector<User> knownUsers;
  {
    std::lock_guard lock(modelMutex_);
    knownUsers = model_.users;
  }
  Model loaded;
  if (!LoadScenario(json, loaded, error, knownUsers)) return false;
  std::lock_guard lock(modelMutex_);
  model_ = std::move(loaded);
  return true;
}

void Service::Log(std::string_view line) {
  std::lock_guard lock(logMutex_);
  if (log_ == nullptr) return;
  std::fwrite(line.data(), 1, line.size(), log_);
  std::fputc('\n', log_);
  std::fflush(log_);
}

}  // namespace sim
