// Sessions of build/pelk against a pelk-sim of their own: the scenario the
// request-layer tests start from, and the lines that select its manager.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "pelk_runner.h"
#include "support/sim_process.h"

namespace e2e {

// Two initialized systems: Alpha with a disk group, three hosts, two
// virtual disks and three LUNs numbered 5; Empty with nothing configured.
inline const char kRequestScenario[] = R"({
  "manager": {"version": "3.2", "build": "3.2.0117",
              "users": [{"name": "admin", "password": "secret"}]},
  "clock": 1767225600,
  "systems": [
    {"name": "Alpha", "wwn": "5000-1FE1-5000-0001", "comment": "Test array",
     "disk_shelves": [{"count": 4, "type": "Online", "capacity_gb": 146}],
     "disk_groups": [
       {"name": "\\Disk Groups\\Default Disk Group", "disks": 4,
        "spare_policy": "Single", "disk_type": "Online",
        "occupancy_alarm": 95,
        "comment": "A pool for the tests whose comment is long enough to wrap at every width"}],
     "hosts": [
       {"name": "\\Hosts\\h1", "os": "ORDAN", "ports": ["1000-0000-0000-0001"]},
       {"name": "\\Hosts\\h2", "os": "ORDAN"},
       {"name": "\\Hosts\\h3", "os": "ORDAN"}],
     "vdisks": [
       {"name": "\\Virtual Disks\\v1\\ACTIVE",
        "group": "\\Disk Groups\\Default Disk Group", "size_gb": 1,
        "redundancy": "Vraid5"},
       {"name": "\\Virtual Disks\\v2\\ACTIVE",
        "group": "\\Disk Groups\\Default Disk Group", "size_gb": 1,
        "redundancy": "Vraid5"}],
     "luns": [
       {"lun": 5, "host": "\\Hosts\\h1", "vdisk": "\\Virtual Disks\\v1\\ACTIVE"},
       {"lun": 5, "host": "\\Hosts\\h2", "vdisk": "\\Virtual Disks\\v1\\ACTIVE"},
       {"lun": 5, "host": "\\Hosts\\h3", "vdisk": "\\Virtual Disks\\v1\\ACTIVE"}]},
    {"name": "Empty", "wwn": "5000-1FE1-5000-0002",
     "disk_shelves": [{"count": 2, "type": "Online", "capacity_gb": 146}]}
  ]
})";

// A simulator on `address` started from `scenario` (none: its empty
// default) with `arguments` added.
inline size_t countLines(const std::string& text) {
  return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

class SimSession {
 public:
  SimSession(const std::string& address, const std::string& scenario,
             std::vector<std::string> arguments = {})
      : address_(address) {
#ifdef PELK_SIM_BINARY
    if (!scenario.empty()) {
      arguments.push_back("--scenario");
      arguments.push_back(scratch_.write("scenario.json", scenario));
    }
    arguments.push_back("--log");
    arguments.push_back(scratch_.path() + "/requests.log");
    sim_ = std::make_unique<testing_support::SimProcess>(PELK_SIM_BINARY,
                                                         address, arguments);
#else
    (void)scenario;
    (void)arguments;
#endif
  }

  bool listening() const { return sim_ != nullptr && sim_->listening(); }
  std::string banner() const {
    return sim_ != nullptr ? sim_->banner() : "pelk-sim is not built";
  }
  const std::string& address() const { return address_; }
  // One line per request the simulator served.
  std::string requestLog() const { return scratch_.read("requests.log"); }
  // The log once it holds `lines` lines: a refused handshake is logged by
  // the simulator after the client has already given up and gone, so on a
  // busy machine the line may come a moment later than the client's exit.
  std::string requestLogOf(size_t lines) const {
    std::string log = requestLog();
    for (int attempt = 0; attempt < 500 && countLines(log) < lines; ++attempt) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      log = requestLog();
    }
    return log;
  }

 private:
  std::string address_;
  testing_support::ScratchDirectory scratch_;
  std::unique_ptr<testing_support::SimProcess> sim_;
};

#define REQUIRE_SIM(session)         \
  ASSERT_TRUE((session).listening()) \
      << "pelk-sim did not start: " << (session).banner()

// The arguments that turn the command delay off and select the manager.
inline std::vector<std::string> managerArguments(
    const std::string& address, const std::string& password = "secret") {
  return {"SET OPTIONS NOCOMMAND_DELAY",
          "SELECT MANAGER " + address + " USERNAME=admin PASSWORD=" + password};
}

// Their echo, after the banner.
inline std::string managerEcho(const std::string& address,
                               const std::string& password = "secret") {
  return kBanner + echo("SET OPTIONS NOCOMMAND_DELAY") +
         echo("SELECT MANAGER " + address +
              " USERNAME=admin PASSWORD=" + password);
}

// Program arguments: the manager's lines, then `lines`.
inline std::vector<std::string> withManager(
    const std::string& address, const std::vector<std::string>& lines) {
  std::vector<std::string> arguments = managerArguments(address);
  arguments.insert(arguments.end(), lines.begin(), lines.end());
  return arguments;
}

}  // namespace e2e
