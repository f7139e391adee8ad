#include "shell/program_options.h"

#include <cstdlib>
#include <cstring>
#include <iterator>

namespace shell {
namespace {

constexpr uint32_t kLongestTimeout = 86400;  // seconds: a day

struct ProgramOption {
  const char* name;
  const char* valueName;    // nullptr: the option takes no value
  const char* environment;  // the variable that may give it, or nullptr
  const char* valueRule;    // what the value must be, for messages
  // Applies the option with its value; false when the value is wrong.
  bool (*apply)(const char* value, ProgramOptions& options);
  const char* help;  // lines after the first start in the help column
};

bool setJson(const char*, ProgramOptions& options) {
  options.json = true;
  options.quiet = true;
  return true;
}

bool setQuiet(const char*, ProgramOptions& options) {
  options.quiet = true;
  return true;
}

bool setYes(const char*, ProgramOptions& options) {
  options.yes = true;
  return true;
}

bool setTimeout(const char* value, ProgramOptions& options) {
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

// The file options keep the argument or the environment's text itself.
bool setCaFile(const char* value, ProgramOptions& options) {
  options.caFile = value;
  return *value != '\0';
}

bool setCertFile(const char* value, ProgramOptions& options) {
  options.certFile = value;
  return *value != '\0';
}

bool setKeyFile(const char* value, ProgramOptions& options) {
  options.keyFile = value;
  return *value != '\0';
}

bool setInsecure(const char*, ProgramOptions& options) {
  options.insecure = true;
  return true;
}

constexpr ProgramOption kProgramOptions[] = {
    {"--json", nullptr, nullptr, nullptr, setJson,
     "one JSON object per command line on the standard output, and\n"
     "nothing else (doc/json.md); implies --quiet"},
    {"--quiet", nullptr, nullptr, nullptr, setQuiet,
     "no banner, prompts or echo of commands; error messages on the\n"
     "standard error; the end of the input is no error"},
    {"--yes", nullptr, nullptr, nullptr, setYes,
     "answer yes to every question without asking it; with --json or\n"
     "--quiet a command that would ask is refused without it"},
    {"--timeout", "SECONDS", "PELK_TIMEOUT",
     "a whole number of seconds from 0 to 86400", setTimeout,
     "give up a request to the manager, and fail its command, when\n"
     "connecting, sending and the whole answer take longer; without it\n"
     "PELK waits as long as the manager takes, or 600 seconds with\n"
     "--json or --quiet; 0 means no limit. The environment variable\n"
     "PELK_TIMEOUT gives it too"},
    {"--cacert", "FILE", "PELK_CA_FILE", "a file name", setCaFile,
     "trust the certificate authorities in FILE (PEM) for a manager\n"
     "reached over TLS (SELECT MANAGER https://...) instead of the\n"
     "system's; the environment variable PELK_CA_FILE gives it too"},
    {"--cert", "FILE", nullptr, "a file name", setCertFile,
     "show the client certificate in FILE (PEM) to a TLS manager that\n"
     "asks for one"},
    {"--key", "FILE", nullptr, "a file name", setKeyFile,
     "the key of --cert (PEM, no passphrase) when it is not in its\n"
     "file; refused when other users may read it"},
    {"--insecure", nullptr, nullptr, nullptr, setInsecure,
     "check neither the certificate nor the name of a TLS manager;\n"
     "said once on the standard error"},
};

constexpr int kHelpColumn = 20;

// Ends the options; what follows are command lines, even one beginning
// with '-'.
constexpr char kEndOfOptions[] = "--";

const ProgramOption* findOption(const char* word) {
  for (const ProgramOption& option : kProgramOptions) {
    if (std::strcmp(word, option.name) == 0) return &option;
  }
  return nullptr;
}

void refuse(const char* source, const ProgramOption& option,
            const char* value) {
  if (value == nullptr) {
    std::fprintf(stderr, "pelk: %s takes %s\n", source, option.valueRule);
  } else {
    std::fprintf(stderr, "pelk: %s takes %s, not \"%s\"\n", source,
                 option.valueRule, value);
  }
}

}  // namespace

int readProgramOptions(int argc, char** argv, ProgramOptions& options) {
  bool given[std::size(kProgramOptions)] = {};
  int next = 1;
  bool optionsEnded = false;
  for (; next < argc && argv[next][0] == '-'; ++next) {
    if (std::strcmp(argv[next], kEndOfOptions) == 0) {
      optionsEnded = true;
      ++next;
      break;
    }
    const ProgramOption* option = findOption(argv[next]);
    if (option == nullptr) {
      std::fprintf(stderr, "pelk: unknown option %s\n", argv[next]);
      return kUnknownOption;
    }
    const char* value = nullptr;
    if (option->valueName != nullptr) {
      value = next + 1 < argc ? argv[++next] : nullptr;
      if (value == nullptr || !option->apply(value, options)) {
        refuse(option->name, *option, value);
        return kRefusedValue;
      }
    } else {
      option->apply(nullptr, options);
    }
    given[option - kProgramOptions] = true;
  }
  // No command line begins with '-': such a word is an option misspelt or
  // put behind the command lines, and running it would skip the job.
  for (int line = next; !optionsEnded && line < argc; ++line) {
    if (argv[line][0] != '-') continue;
    if (findOption(argv[line]) != nullptr ||
        std::strcmp(argv[line], kEndOfOptions) == 0) {
      std::fprintf(stderr, "pelk: %s must come before the command lines\n",
                   argv[line]);
    } else {
      std::fprintf(stderr, "pelk: unknown option %s\n", argv[line]);
    }
    return kUnknownOption;
  }
  for (const ProgramOption& option : kProgramOptions) {
    if (given[&option - kProgramOptions] || option.environment == nullptr) {
      continue;
    }
    const char* value = std::getenv(option.environment);
    if (value != nullptr && *value != '\0' && !option.apply(value, options)) {
      refuse(option.environment, option, value);
      return kRefusedValue;
    }
  }
  return next;
}

uint32_t requestBoundSeconds(const ProgramOptions& options) {
  return options.timeoutSeconds.value_or(options.quiet ? kJobTimeoutSeconds
                                                       : 0);
}

void printProgramOptions(std::FILE* stream) {
  for (const ProgramOption& option : kProgramOptions) {
    int width = std::fprintf(stream, "  %s", option.name);
    if (option.valueName != nullptr) {
      width += std::fprintf(stream, " %s", option.valueName);
    }
    std::fprintf(stream, "%*s", width < kHelpColumn ? kHelpColumn - width : 1,
                 "");
    for (const char* c = option.help; *c != '\0'; ++c) {
      std::fputc(*c, stream);
      if (*c == '\n') std::fprintf(stream, "%*s", kHelpColumn, "");
    }
    std::fputc('\n', stream);
  }
}

}  // namespace shell
