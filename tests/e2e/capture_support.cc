#include "capture_support.h"

#include <fstream>
#include <regex>
#include <sstream>

namespace e2e {

namespace {

std::vector<std::string> withScenario(std::vector<std::string> arguments,
                                      const std::string& path) {
  arguments.insert(arguments.begin(), {"--scenario", path});
  return arguments;
}

}  // namespace

ScenarioSim::ScenarioSim(const std::string& address,
                         const std::string& scenario,
                         const std::vector<std::string>& arguments)
    : scenarioPath_(scenarioDirectory_.write("scenario.json", scenario)),
      server_(address, withScenario(arguments, scenarioPath_)) {}

std::string withoutCaptureTime(const std::string& text) {
  static const std::regex kTime(
      "[A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9][0-9] [0-9]{2}:[0-9]{2}:[0-9]{2} "
      "[0-9]{4}");
  return std::regex_replace(text, kTime, "TIME");
}

std::vector<std::string> commandLines(const std::string& script) {
  std::vector<std::string> lines;
  std::istringstream stream(script);
  for (std::string line; std::getline(stream, line);) {
    if (!line.starts_with("!")) lines.push_back(line);
  }
  return lines;
}

std::string fileText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return "<missing>";
  std::stringstream contents;
  contents << file.rdbuf();
  return contents.str();
}

}  // namespace e2e
