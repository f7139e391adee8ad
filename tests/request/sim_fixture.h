// Request-layer tests against a pelk-sim of their own: the session of
// SessionFixture with the simulator's manager selected, a clock that only
// records pauses, and standard output captured for the retry marks.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "session_fixture.h"
#include "support/run_program.h"
#include "support/sim_process.h"

namespace request_test {

class RecordingClock : public platform::Clock {
 public:
  void sleepMilliseconds(uint32_t milliseconds) override {
    pauses.push_back(milliseconds);
    now += milliseconds;
  }
  uint32_t tickCount() override { return now; }
  std::time_t wallTime() override { return 1767225600; }

  std::vector<uint32_t> pauses;
  uint32_t now = 0;
};

// Everything written to standard output while it lives.
class StandardOutput {
 public:
  StandardOutput() {
    std::fflush(stdout);
    saved_ = dup(1);
    file_ = std::tmpfile();
    dup2(fileno(file_), 1);
  }
  ~StandardOutput() { text(); }

  std::string text() {
    if (saved_ >= 0) {
      std::fflush(stdout);
      dup2(saved_, 1);
      close(saved_);
      saved_ = -1;
      std::rewind(file_);
      char buffer[4096];
      for (std::size_t got;
           (got = std::fread(buffer, 1, sizeof buffer, file_)) > 0;) {
        text_.append(buffer, got);
      }
      std::fclose(file_);
    }
    return text_;
  }

 private:
  int saved_ = -1;
  std::FILE* file_ = nullptr;
  std::string text_;
};

// One system, Alpha, with a disk group, hosts h1 and h2, virtual disk v1
// presented to h1 as LUN 5 and v2 presented to nobody.
inline const char kSimScenario[] = R"({
  "manager": {"version": "3.2", "build": "3.2.0117",
              "users": [{"name": "admin", "password": "secret"}]},
  "clock": 1767225600,
  "systems": [
    {"name": "Alpha", "wwn": "5000-1FE1-5000-0001",
     "disk_shelves": [{"count": 4, "type": "Online", "capacity_gb": 146}],
     "disk_groups": [
       {"name": "\\Disk Groups\\Default Disk Group", "disks": 4,
        "spare_policy": "Single", "disk_type": "Online",
        "occupancy_alarm": 95}],
     "hosts": [{"name": "\\Hosts\\h1", "os": "ORDAN"},
               {"name": "\\Hosts\\h2", "os": "ORDAN"}],
     "vdisks": [
       {"name": "\\Virtual Disks\\v1\\ACTIVE",
        "group": "\\Disk Groups\\Default Disk Group", "size_gb": 1,
        "redundancy": "Vraid5"},
       {"name": "\\Virtual Disks\\v2\\ACTIVE",
        "group": "\\Disk Groups\\Default Disk Group", "size_gb": 1,
        "redundancy": "Vraid5"}],
     "luns": [{"lun": 5, "host": "\\Hosts\\h1",
               "vdisk": "\\Virtual Disks\\v1\\ACTIVE"}]}
  ]
})";

class SimFixture : public SessionFixture {
 protected:
  void TearDown() override {
    platform::installClock(nullptr);
    sim_.reset();
    SessionFixture::TearDown();
  }

  // Starts the simulator on `address` with `faults`, selects its manager
  // (with `port`) and the system Alpha, whose identifier is fixed.
  void startSim(const std::string& address,
                const std::vector<std::string>& faults = {},
                const std::string& port = "12301") {
    std::vector<std::string> arguments{
        "--scenario", scratch_.write("scenario.json", kSimScenario), "--log",
        scratch_.path() + "/requests.log"};
    for (const std::string& fault : faults) {
      arguments.push_back("--fault");
      arguments.push_back(fault);
    }
#ifdef PELK_SIM_BINARY
    sim_ = std::make_unique<testing_support::SimProcess>(PELK_SIM_BINARY,
                                                         address, arguments);
#endif
    ASSERT_TRUE(sim_ != nullptr && sim_->listening())
        << (sim_ != nullptr ? sim_->banner() : "pelk-sim is not built");
    selectManager((address + ":" + port).c_str(), "admin", "secret");
    selectSystem("Alpha", "1000000100000000000000000000000000000000");
    platform::installClock(&clock_);
  }

  // The simulator's lines for the requests it served, one per request.
  std::vector<std::string> requests() const {
    std::vector<std::string> lines;
    std::string log = scratch_.read("requests.log");
    for (std::size_t start = 0, end; start < log.size(); start = end + 1) {
      end = log.find('\n', start);
      lines.push_back(log.substr(start, end - start));
    }
    return lines;
  }

  RecordingClock clock_;

 private:
  testing_support::ScratchDirectory scratch_;
  std::unique_ptr<testing_support::SimProcess> sim_;
};

}  // namespace request_test
