#include "shell/program_options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace shell {
namespace {

constexpr uint32_t kLongestTimeout = 86400;  // seconds: a day

bool readTimeout(const char* value, ProgramOptions& options) {
  uint32_t seconds = 0;
  if (*value == '\0') return false;
  for (const char* digit = value; *digit != '\0'; ++digit) {
    if (*digit < '0' || *digit > '9') return false;
    seconds = seconds * 10 + static_cast<uint32_t>(*digit - '0');
    if (seconds > kLongestTimeout) return false;
  }
  options.timeoutSeconds = seconds;
  return true;
}

struct ProgramOption {
  const char* name;
  const char* environment;  // the variable that may give it, or nullptr
  const char* value;        // what the value must be, for messages
  bool (*read)(const char* value, ProgramOptions& options);
};

constexpr ProgramOption kProgramOptions[] = {
    {"--timeout", "PELK_TIMEOUT", "a whole number of seconds from 0 to 86400",
     readTimeout},
};

const ProgramOption* findOption(const char* word) {
  for (const ProgramOption& option : kProgramOptions) {
    if (std::strcmp(word, option.name) == 0) return &option;
  }
  return nullptr;
}

void refuse(const char* source, const ProgramOption& option,
            const char* value) {
  if (value == nullptr) {
    std::fprintf(stderr, "pelk: %s takes %s\n", source, option.value);
  } else {
    std::fprintf(stderr, "pelk: %s takes %s, not \"%s\"\n", source,
                 option.value, value);
  }
}

}  // namespace

int readProgramOptions(int argc, char** argv, ProgramOptions& options) {
  bool given[std::size(kProgramOptions)] = {};
  int next = 1;
  for (const ProgramOption* option;
       next < argc && (option = findOption(argv[next])) != nullptr; next += 2) {
    const char* value = next + 1 < argc ? argv[next + 1] : nullptr;
    if (value == nullptr || !option->read(value, options)) {
      refuse(option->name, *option, value);
      return -1;
    }
    given[option - kProgramOptions] = true;
  }
  for (const ProgramOption& option : kProgramOptions) {
    if (given[&option - kProgramOptions] || option.environment == nullptr) {
      continue;
    }
    const char* value = std::getenv(option.environment);
    if (value != nullptr && *value != '\0' && !option.read(value, options)) {
      refuse(option.environment, option, value);
      return -1;
    }
  }
  return next;
}

}  // namespace shell
