// A session for request-layer tests: one context and session with a
// manager and system selected, and the command output captured.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "session/session.h"
#include "session/tracked_memory.h"
#include "session/work_area.h"

namespace request_test {

class SessionFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    captured_ = open_memstream(&buffer_, &size_);
    session::outputStream = captured_;
    session::sessionOptions = session::SessionOptions{};
    session::runMode = session::RunMode::kNone;
    context_.session = &session_;
    session_.work.currentLabel = session::copyText("", 0, "test", __LINE__);
  }

  void TearDown() override {
    session::releaseWorkArea(session_);
    session::outputStream = stdout;
    std::fclose(captured_);
    std::free(buffer_);
    session::releaseAll();
  }

  void selectManager(const char* address = "127.0.0.9:12301",
                     const char* user = "admin",
                     const char* password = "secret") {
    session_.managerAddress = copy(address);
    session_.userName = copy(user);
    session_.password = copy(password);
  }

  void selectSystem(const char* name = "Cell1", const char* id = "S1") {
    session_.systemName = copy(name);
    session_.systemId = copy(id);
  }

  static char* copy(const std::string& text) {
    return session::copyText(text.data(), text.size(), "test", __LINE__);
  }

  // Everything printed to the output stream since the last call.
  std::string output() {
    std::fflush(captured_);
    std::string text(buffer_ + consumed_, size_ - consumed_);
    consumed_ = size_;
    return text;
  }

  session::CommandContext context_{};
  session::SessionState session_{};

 private:
  std::FILE* captured_ = nullptr;
  char* buffer_ = nullptr;
  std::size_t size_ = 0;
  std::size_t consumed_ = 0;
};

}  // namespace request_test
