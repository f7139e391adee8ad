// pelk-sim: starts the simulated element manager on a loopback address and
// serves until SIGINT, SIGTERM or SIGHUP.
#include <signal.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "sim/demo_scenario.h"
#include "sim/options.h"
#include "sim/save_file.h"
#include "sim/scenario.h"
#include "sim/server.h"

namespace {

sim::Server* running = nullptr;

void OnSignal(int) {
  if (running != nullptr) running->Stop();
}

bool ReadFile(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream content;
  content << in.rdbuf();
  text = content.str();
  return true;
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
             !ReadFile(options.scenarioFile, scenario)) {
    std::fprintf(stderr, "pelk-sim: cannot read %s\n",
                 options.scenarioFile.c_str());
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
    log = std::fopen(options.logFile.c_str(), "a");
    if (log == nullptr) {
      std::fprintf(stderr, "pelk-sim: cannot open %s\n",
                   options.logFile.c_str());
      return 2;
    }
    service.OpenLog(log);
  }
  service.LogProperties(options.logProperties);
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
