// pelk-sim: starts the simulated element manager on a loopback address and
// serves until SIGINT, SIGTERM or SIGHUP.
#include <signal.h>

#include <cstdio>
#include <string>

#include "sim/demo_scenario.h"
#include "sim/options.h"
#include "sim/save_file.h"
#include "sim/scenario.h"
#include "sim/server.h"
#include "sim/written_file.h"

namespace {

sim::Server* running = nullptr;

void OnSignal(int) {
  if (running != nullptr) running->Stop();
}

// Far more than the state of any array; a device that never ends, such as
// /dev/zero, must not fill the memory.
constexpr size_t kMostScenarioBytes = size_t{16} << 20;

// The scenario file's text. False with `error` saying why.
bool ReadScenario(const std::string& path, std::string& text,
                  std::string& error) {
  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (in == nullptr) {
    error = "cannot read " + path;
    return false;
  }
  char buffer[65536];
  size_t count = 0;
  while (text.size() <= kMostScenarioBytes &&
         (count = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
    text.append(buffer, count);
  }
  bool failed = std::ferror(in) != 0;
  std::fclose(in);
  if (failed) {
    error = "cannot read " + path;
  } else if (text.size() > kMostScenarioBytes) {
    error = "cannot read " + path + ": it holds more than " +
            std::to_string(kMostScenarioBytes >> 20) + " MB";
  }
  return error.empty();
}

std::string PortText(int port) {
  return port < 0 ? "off" : std::to_string(port);
}

}  // namespace

int main(int argc, char** argv) {
  sim::Options options;
  std::string error;
  if (!sim::ParseOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "pelk-sim: %s\n(see pelk-sim --help)\n",
                 error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(sim::HelpText().c_str(), stdout);
    return 0;
  }
  sim::Model model = sim::EmptyModel();
  std::string scenario;
  if (options.demo) {
    scenario = sim::kDemoScenario;
  } else if (!options.scenarioFile.empty() &&
             !ReadScenario(options.scenarioFile, scenario, error)) {
    std::fprintf(stderr, "pelk-sim: %s\n", error.c_str());
    return 2;
  }
  if (!scenario.empty() && !sim::LoadScenario(scenario, model, error)) {
    std::fprintf(stderr, "pelk-sim: scenario: %s\n", error.c_str());
    return 2;
  }
  if (!options.saveFile.empty() &&
      !sim::CheckSaveFile(options.saveFile, error)) {
    std::fprintf(stderr, "pelk-sim: %s\n", error.c_str());
    return 2;
  }
  sim::Service service(std::move(model));
  std::FILE* log = nullptr;
  if (options.logFile == "-") {
    service.OpenLog(stderr);
  } else if (!options.logFile.empty()) {
    log = sim::OpenForAppending(options.logFile, error);
    if (log == nullptr) {
      std::fprintf(stderr, "pelk-sim: %s\n", error.c_str());
      return 2;
    }
    service.OpenLog(log);
  }
  service.LogProperties(options.logProperties);
  service.ShowSecretsToControl(options.controlShowsSecrets);
  for (const sim::FaultSpec& fault : options.faults)
    service.faults().Add(fault);

  sim::Server server(service, options.server);
  if (!server.Start(error)) {
    std::fprintf(stderr, "pelk-sim: %s\n", error.c_str());
    return 1;
  }
  running = &server;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  // A closed terminal stops it like any other request to stop.
  sigaction(SIGHUP, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);
  std::printf("pelk-sim listening on %s text-port %s elm-port %s\n",
              options.server.address.c_str(),
              PortText(server.textPort()).c_str(),
              PortText(server.elmPort()).c_str());
  std::fflush(stdout);
  server.Run();
  running = nullptr;
  int status = 0;
  if (!options.saveFile.empty() &&
      !sim::SaveFile(options.saveFile, service.Snapshot(), error)) {
    std::fprintf(stderr, "pelk-sim: %s\n", error.c_str());
    status = 1;
  }
  service.OpenLog(nullptr);
  if (log != nullptr) std::fclose(log);
  return status;
}
