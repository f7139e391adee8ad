#include "shell/program_options.h"

#include <cstring>

#include "shell/result_recorder.h"

namespace shell {
namespace {

struct ProgramOption {
  const char* name;
  const char* valueName;  // nullptr: the option takes no value
  // Applies the option with its value; false after printing why the value
  // is wrong.
  bool (*apply)(const char* value);
  const char* help;  // lines after the first start in the help column
};

bool setJson(const char*) {
  automation.json = true;
  automation.quiet = true;
  return true;
}

bool setQuiet(const char*) {
  automation.quiet = true;
  return true;
}

bool setYes(const char*) {
  automation.yes = true;
  return true;
}

constexpr ProgramOption kProgramOptions[] = {
    {"--json", nullptr, setJson,
     "one JSON object per command line on the standard output, and\n"
     "nothing else (doc/json.md); implies --quiet"},
    {"--quiet", nullptr, setQuiet,
     "no banner, prompts or echo of commands; error messages on the\n"
     "standard error; the end of the input is no error"},
    {"--yes", nullptr, setYes,
     "answer yes to every question without asking it; with --json or\n"
     "--quiet a command that would ask is refused without it"},
};

constexpr int kHelpColumn = 16;

const ProgramOption* findOption(const char* argument) {
  for (const ProgramOption& option : kProgramOptions) {
    if (std::strcmp(option.name, argument) == 0) return &option;
  }
  return nullptr;
}

}  // namespace

int readProgramOptions(int argc, char** argv) {
  int index = 1;
  while (index < argc) {
    const ProgramOption* option = findOption(argv[index]);
    if (option == nullptr) break;
    const char* value = nullptr;
    if (option->valueName != nullptr) {
      if (index + 1 >= argc) {
        std::fprintf(stderr, "pelk: %s needs %s\n", option->name,
                     option->valueName);
        return -1;
      }
      value = argv[++index];
    }
    if (!option->apply(value)) return -1;
    ++index;
  }
  return index;
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
