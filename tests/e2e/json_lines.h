// Reading what pelk --json prints as strictly as any consumer could: every
// line one JSON object, valid UTF-8, no key twice in an object, nothing
// else on the standard output.
#pragma once

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "support/run_program.h"

namespace e2e {

using Json = nlohmann::ordered_json;

// The text parsed strictly, or a discarded value.
inline Json parseStrictly(const std::string& text) {
  std::vector<std::set<std::string>> keys;
  bool duplicate = false;
  Json value = Json::parse(
      text,
      [&](int, Json::parse_event_t event, Json& parsed) {
        if (event == Json::parse_event_t::object_start) keys.emplace_back();
        if (event == Json::parse_event_t::object_end) keys.pop_back();
        if (event == Json::parse_event_t::key &&
            !keys.back().insert(parsed.get<std::string>()).second) {
          duplicate = true;
        }
        return true;
      },
      false);
  return duplicate ? Json(Json::value_t::discarded) : value;
}

// Each line of the output as a JSON object with the fields every line has:
// "command", "ok", and "error" exactly when it failed, never empty. A line
// that breaks any of that fails the test and is left out.
inline std::vector<Json> jsonLines(const std::string& output) {
  std::vector<Json> lines;
  EXPECT_TRUE(output.empty() || output.back() == '\n')
      << testing_support::escaped(output);
  std::size_t start = 0;
  while (start < output.size()) {
    std::size_t end = output.find('\n', start);
    if (end == std::string::npos) end = output.size();
    std::string text = output.substr(start, end - start);
    start = end + 1;
    Json line = parseStrictly(text);
    bool valid =
        line.is_object() && line.contains("command") &&
        line["command"].is_string() && line.contains("ok") &&
        line["ok"].is_boolean() &&
        line.contains("error") == !line["ok"].get<bool>() &&
        (line["ok"].get<bool>() || (line["error"].is_string() &&
                                    !line["error"].get<std::string>().empty()));
    EXPECT_TRUE(valid) << "not a valid line: "
                       << testing_support::escaped(text);
    if (valid) lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace e2e
