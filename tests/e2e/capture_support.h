// What the capture tests share: a simulator started from a scenario of the
// test's own, and the parts of a step script worth comparing.
#pragma once

#include <string>
#include <vector>

#include "sim_server.h"
#include "support/run_program.h"

namespace e2e {

// The manager of every capture scenario: administrator / admin.
inline const std::string kScenarioManager =
    R"("manager": {"version": "3.2", "build": "3.2.0117",
                   "users": [{"name": "administrator", "password": "admin"}]},
       "clock": 1767225600)";

// A simulator started from `scenario` (JSON) on `address`, with
// `arguments` added.
class ScenarioSim {
 public:
  ScenarioSim(const std::string& address, const std::string& scenario,
              const std::vector<std::string>& arguments = {});
  SimServer& server() { return server_; }
  // Where the session runs, so relative capture names land here.
  std::string file(const std::string& name) const {
    return server_.directory() + "/" + name;
  }

 private:
  testing_support::ScratchDirectory scenarioDirectory_;
  std::string scenarioPath_;
  SimServer server_;
};

// The text with the capture's time ("Thu Jan  1 00:00:00 2026") replaced
// by TIME.
std::string withoutCaptureTime(const std::string& text);

// The lines of a step script that are not comments.
std::vector<std::string> commandLines(const std::string& script);

// The whole text of a file, or "<missing>".
std::string fileText(const std::string& path);

}  // namespace e2e
