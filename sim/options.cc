#include "sim/options.h"

#include <charconv>
#include <string_view>

namespace sim {
namespace {

bool ParseCount(std::string_view text, int low, int high, int& out) {
  int value = 0;
  auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low ||
      value > high) {
    return false;
  }
  out = value;
  return true;
}

bool ParsePort(std::string_view text, int& port) {
  if (text == "off") {
    port = -1;
    return true;
  }
  return ParseCount(text, 0, 65535, port);
}

}  // namespace

bool ParseOptions(int argc, const char* const* argv, Options& options,
                  std::string& error) {
  for (int i = 1; i < argc; ++i) {
    std::string_view name = argv[i];
    if (name == "--help" || name == "-h") {
      options.help = true;
      continue;
    }
    if (name == "--demo") {
      options.demo = true;
      continue;
    }
    if (name == "--log-properties") {
      options.logProperties = true;
      continue;
    }
    if (name == "--control-shows-secrets") {
      options.controlShowsSecrets = true;
      continue;
    }
    if (i + 1 >= argc) {
      error = "unknown option or missing value: " + std::string(name);
      return false;
    }
    std::string_view value = argv[++i];
    bool ok = true;
    if (name == "--address") {
      options.server.address = std::string(value);
    } else if (name == "--text-port") {
      ok = ParsePort(value, options.server.textPort);
    } else if (name == "--elm-port") {
      ok = ParsePort(value, options.server.elmPort);
    } else if (name == "--scenario") {
      options.scenarioFile = std::string(value);
    } else if (name == "--save") {
      options.saveFile = std::string(value);
    } else if (name == "--log") {
      options.logFile = std::string(value);
    } else if (name == "--request-timeout") {
      ok = ParseCount(value, 1, 3600000, options.server.requestTimeoutMs);
    } else if (name == "--idle-timeout") {
      ok = ParseCount(value, 1, 86400000, options.server.idleTimeoutMs);
    } else if (name == "--max-connections") {
      ok = ParseCount(value, 1, 1024, options.server.maxConnections);
    } else if (name == "--tls-cert") {
      options.server.tls.certFile = std::string(value);
    } else if (name == "--tls-key") {
      options.server.tls.keyFile = std::string(value);
    } else if (name == "--tls-client-ca") {
      options.server.tls.clientCaFile = std::string(value);
    } else if (name == "--fault") {
      FaultSpec spec;
      if (!ParseFault(value, spec, error)) return false;
      options.faults.push_back(spec);
    } else {
      error = "unknown option: " + std::string(name);
      return false;
    }
    if (!ok) {
      error = "bad value for " + std::string(name) + ": " + std::string(value);
      return false;
    }
  }
  if (options.demo && !options.scenarioFile.empty()) {
    error = "--demo and --scenario exclude each other";
    return false;
  }
  const TlsFiles& tls = options.server.tls;
  if (tls.certFile.empty() != tls.keyFile.empty()) {
    error = "--tls-cert and --tls-key go together";
    return false;
  }
  if (!tls.clientCaFile.empty() && !tls.on()) {
    error = "--tls-client-ca needs --tls-cert and --tls-key";
    return false;
  }
  if (options.server.textPort < 0 && options.server.elmPort < 0) {
    error = "both ports are off";
    return false;
  }
  return true;
}

std::string HelpText() {
  return "Usage: pelk-sim [options]\n"
         "\n"
         "Simulates an element manager and the storage systems it manages, on "
         "a\n"
         "loopback address: the text transport on port 12301 and the login "
         "path\n"
         "on port 2301. Once both ports listen it prints one line:\n"
         "  pelk-sim listening on ADDRESS text-port PORT elm-port PORT\n"
         "(a port that is off shows as \"off\"). SIGINT, SIGTERM or SIGHUP "
         "stops it.\n"
         "\n"
         "Options:\n"
         "  --address ADDR          loopback address to listen on: 127.x.x.x "
         "or ::1\n"
         "                          (default 127.0.0.1)\n"
         "  --text-port PORT|off    text transport port (default 12301; 0: any "
         "free)\n"
         "  --elm-port PORT|off     login path port (default 2301; 0: any "
         "free)\n"
         "  --demo                  start from the demo scenario\n"
         "  --scenario FILE         start from a scenario file (JSON)\n"
         "  --save FILE             write the state to FILE when stopping, "
         "readable\n"
         "                          by its owner only (it holds the "
         "passwords)\n"
         "  --log FILE              log one line per request (\"-\": standard "
         "error)\n"
         "  --log-properties        show each operation's properties in its "
         "log line\n"
         "  --fault SPEC            inject a fault; may be given several "
         "times\n"
         "  --request-timeout MS    time to send one whole request, and for a "
         "new\n"
         "                          connection to begin one (default 10000)\n"
         "  --idle-timeout MS       idle time before a kept connection closes\n"
         "                          (default 3600000)\n"
         "  --max-connections N     connections served at once (default 64); "
         "when\n"
         "                          all are open, the longest-idle kept one "
         "is closed\n"
         "                          to make room\n"
         "  --control-shows-secrets GET /sim/state shows the users' "
         "passwords\n"
         "  --tls-cert FILE         serve both ports over TLS with this "
         "certificate\n"
         "                          (PEM, its chain after it)\n"
         "  --tls-key FILE          the certificate's key (PEM)\n"
         "  --tls-client-ca FILE    require a client certificate signed by a "
         "CA in\n"
         "                          FILE (PEM)\n"
         "  --help                  show this text\n"
         "\n"
         "Faults (N: how many requests, default 1, \"*\" until cleared):\n" +
         FaultHelp() +
         "\n"
         "Control requests, on either port:\n"
         "  POST /sim/fault  body SPEC   inject a fault\n"
         "  POST /sim/clear              clear every fault\n"
         "  GET  /sim/faults             list the faults in force\n"
         "  GET  /sim/state              the state as scenario JSON, without "
         "the\n"
         "                               users' passwords (see "
         "--control-shows-secrets)\n"
         "  POST /sim/state  body JSON   replace the state; a user without a "
         "password\n"
         "                               keeps the one it has\n"
         "\n"
         "Logins: without a scenario the manager knows one user,\n"
         "administrator with the password administrator, and no storage\n"
         "systems. The demo scenario (--demo) knows administrator with the\n"
         "password admin and operator with the password operator.\n";
}

}  // namespace sim
