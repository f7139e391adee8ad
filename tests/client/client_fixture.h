// The common ground of the client library's tests: a fresh working
// directory (the library writes its session file there), the library's
// state reset, and a clock that records pauses instead of sleeping.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/clock.h"

namespace emclient_test {

class RecordingClock final : public platform::Clock {
 public:
  void sleepMilliseconds(uint32_t milliseconds) override {
    pauses.push_back(milliseconds);
    ticks += milliseconds;
  }
  uint32_t tickCount() override { return ticks; }
  std::time_t wallTime() override { return 1'700'000'000; }

  std::vector<uint32_t> pauses;
  uint32_t ticks = 1000;
};

class ClientTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The text of a file of the working directory; empty when missing.
  static std::string readFile(const std::string& name);
  static void writeFile(const std::string& name, const std::string& text);

  RecordingClock clock;
  std::string directory;

 private:
  std::string previousDirectory_;
};

// A request of the XML-interface dialect to host:port with credentials.
std::string xmlRequest(const std::string& hostAndPort, const std::string& user,
                       const std::string& password,
                       const std::string& operation = "<getsysteminfo/>");

}  // namespace emclient_test
