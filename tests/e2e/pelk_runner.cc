#include "pelk_runner.h"

namespace e2e {

testing_support::ProgramRun runInteractive(const std::string& input,
                                           const std::string& directory) {
  testing_support::ProgramOptions options;
  options.input = input;
  options.directory = directory;
  return testing_support::runProgram(PELK_BINARY, options);
}

testing_support::ProgramRun runArguments(
    const std::vector<std::string>& arguments, const std::string& input,
    const std::string& directory) {
  testing_support::ProgramOptions options;
  options.arguments = arguments;
  options.input = input;
  options.directory = directory;
  return testing_support::runProgram(PELK_BINARY, options);
}

testing_support::ProgramRun runArgumentsOnFullDisk(
    const std::vector<std::string>& arguments, const std::string& directory,
    int fileLimit) {
  testing_support::ProgramOptions options;
  options.arguments = {"-c",
                       "trap '' XFSZ; exec prlimit --fsize=" +
                           std::to_string(fileLimit) + " -- \"$0\" \"$@\"",
                       PELK_BINARY};
  options.arguments.insert(options.arguments.end(), arguments.begin(),
                           arguments.end());
  options.directory = directory;
  return testing_support::runProgram("/bin/sh", options);
}

std::string echo(const std::string& line, const std::string& prompt) {
  return "\n" + prompt + "> " + line + "\n";
}

std::string caret(int width) { return std::string(width, ' ') + "^"; }

}  // namespace e2e
