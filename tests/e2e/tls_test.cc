// Managers behind TLS: pelk against pelk-sim serving TLS with certificates
// of a throw-away authority made for the run. A session over TLS shows and
// does exactly what it does in clear; a server that cannot be trusted gets
// the handshake and nothing else.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "demo_session.h"
#include "json_lines.h"
#include "pelk_runner.h"
#include "request_sim_session.h"
#include "support/loopback.h"

namespace e2e {
namespace {

using testing_support::loopbackAddress;
using testing_support::ProgramOptions;
using testing_support::ProgramRun;
using testing_support::ScratchDirectory;

// The addresses of this file's simulators, all named in the certificates.
constexpr int kAddresses[] = {179, 180, 181, 182, 183, 184,
                              185, 186, 187, 188, 189};

// Certificates for every address above, made once for the whole binary by
// make_certificates.sh: ca.pem, other-ca.pem, server, wrong-name, expired
// and client (each NAME.pem with NAME.key).
class Certificates {
 public:
  Certificates() {
    ProgramOptions options;
    options.arguments = {PELK_SOURCE_DIR "/tests/e2e/make_certificates.sh",
                         directory_.path()};
    for (int n : kAddresses) {
      options.arguments.push_back("IP:" + loopbackAddress(n));
    }
    ProgramRun run = testing_support::runProgram("/bin/sh", options);
    made_ = run.exitStatus == 0;
    problem_ = run.errors;
  }
  bool made() const { return made_; }
  const std::string& problem() const { return problem_; }
  std::string file(const std::string& name) const {
    return directory_.path() + "/" + name;
  }

 private:
  ScratchDirectory directory_;
  bool made_ = false;
  std::string problem_;
};

const Certificates& certificates() {
  static const Certificates made;
  return made;
}

#define REQUIRE_CERTIFICATES()                                             \
  ASSERT_TRUE(certificates().made()) << "openssl could not make the test " \
                                        "certificates: "                   \
                                     << certificates().problem()

// The demo on `address`, serving TLS with the certificate NAME.pem.
std::vector<std::string> tlsSim(const std::string& name,
                                std::vector<std::string> more = {}) {
  std::vector<std::string> arguments = {
      "--demo", "--tls-cert", certificates().file(name + ".pem"), "--tls-key",
      certificates().file(name + ".key")};
  arguments.insert(arguments.end(), more.begin(), more.end());
  return arguments;
}

const std::string kUser = " USERNAME=administrator PASSWORD=admin";

// pelk with `options` in front of the lines that select `manager`, then
// `lines`.
ProgramRun runPelk(const std::vector<std::string>& options,
                   const std::string& manager,
                   const std::vector<std::string>& lines,
                   const std::string& directory) {
  ProgramOptions run;
  run.arguments = options;
  run.arguments.push_back("SET OPTIONS NOCOMMAND_DELAY");
  run.arguments.push_back("SELECT MANAGER " + manager + kUser);
  run.arguments.insert(run.arguments.end(), lines.begin(), lines.end());
  run.directory = directory;
  run.input = "yes\n";
  return testing_support::runProgram(PELK_BINARY, run);
}

std::string preamble(const std::string& manager) {
  return kBanner + echo("SET OPTIONS NOCOMMAND_DELAY") +
         echo("SELECT MANAGER " + manager + kUser);
}

void replaceAll(std::string& text, const std::string& from,
                const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

std::string firstLineWith(const std::string& text, const std::string& start) {
  std::size_t at = text.find(start);
  if (at == std::string::npos) return "";
  return text.substr(at, text.find('\n', at) - at);
}

// Every command of a session over TLS shows what it shows in clear, and
// the simulator serves the same operations; only the manager's name says
// https://. The login path (EMVERSION) goes over TLS as well.
TEST(Tls, ASessionOverTlsIsTheSessionInClear) {
  REQUIRE_CERTIFICATES();
  SimSession secure(loopbackAddress(180), "", tlsSim("server"));
  SimSession clear(loopbackAddress(181), "", {"--demo"});
  REQUIRE_SIM(secure);
  REQUIRE_SIM(clear);
  const std::vector<std::string> lines = {
      "SHOW MANAGER",
      "EMVERSION",
      "SELECT SYSTEM Production",
      "ADD VDISK \"\\Virtual Disks\\tls\\db1\" SIZE=1",
      "SHOW VDISK \"\\Virtual Disks\\tls\\db1\\ACTIVE\"",
      "DELETE VDISK \"\\Virtual Disks\\tls\\db1\\ACTIVE\"",
      "CAPTURE CONFIGURATION tls.txt",
  };
  const std::string manager = "https://" + secure.address();
  ScratchDirectory secureFiles;
  ScratchDirectory clearFiles;
  ProgramRun overTls = runPelk({"--cacert", certificates().file("ca.pem")},
                               manager, lines, secureFiles.path());
  ProgramRun inClear = runPelk({}, clear.address(), lines, clearFiles.path());

  EXPECT_NE(std::string::npos,
            overTls.output.find("\nManager IP address " + manager + ":12301\n"))
      << overTls.output;
  EXPECT_EQ("! Manager: " + manager + ":12301",
            firstLineWith(secureFiles.read("tls_Step1A.txt"), "! Manager: "));
  std::string shown = overTls.output;
  replaceAll(shown, manager, clear.address());
  EXPECT_OUTPUT(inClear.output, shown);
  EXPECT_EQ(inClear.exitStatus, overTls.exitStatus);
  EXPECT_EQ("", overTls.errors);
  EXPECT_EQ(servedOperations(clear, true), servedOperations(secure, true));
  EXPECT_NE(std::string::npos,
            secure.requestLog().find("2301 POST /ResEltMrtFusion/XMLIntr"))
      << secure.requestLog();
}

TEST(Tls, JsonNamesTheManagerWithItsScheme) {
  REQUIRE_CERTIFICATES();
  SimSession secure(loopbackAddress(182), "", tlsSim("server"));
  REQUIRE_SIM(secure);
  ScratchDirectory files;
  const std::string manager = "https://" + secure.address();
  ProgramRun run =
      runPelk({"--json", "--cacert", certificates().file("ca.pem")}, manager,
              {"SHOW MANAGER"}, files.path());
  std::vector<Json> lines = jsonLines(run.output);
  ASSERT_EQ(3u, lines.size()) << run.output;
  EXPECT_EQ(manager + ":12301", lines[2]["manager"]["address"]) << run.output;
}

// Each reason a certificate is refused has its own error, which names the
// manager; the server gets the handshake and nothing more, on neither port.
TEST(Tls, AnUntrustedServerGetsNothingButTheHandshake) {
  REQUIRE_CERTIFICATES();
  const struct {
    int address;
    const char* certificate;
    const char* authority;
    std::string error;
  } cases[] = {
      {183, "server", "other-ca.pem",
       "EMCLIENTAPITLS_UNKNOWNAUTHORITY_ERROR : The server's certificate is "
       "not signed by a trusted authority.\nManager https://ADDRESS:12301: "
       "unable to get local issuer certificate\n"},
      {184, "wrong-name", "ca.pem",
       "EMCLIENTAPITLS_NAMEMISMATCH_ERROR : The server's certificate does not "
       "name the server.\nManager https://ADDRESS:12301: IP address "
       "mismatch\n"},
      {185, "expired", "ca.pem",
       "EMCLIENTAPITLS_CERTIFICATEEXPIRED_ERROR : The server's certificate "
       "has expired or is not valid yet.\nManager https://ADDRESS:12301: "
       "certificate has expired\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.certificate);
    SimSession sim(loopbackAddress(c.address), "", tlsSim(c.certificate));
    REQUIRE_SIM(sim);
    ScratchDirectory files;
    const std::string manager = "https://" + sim.address();
    ProgramRun run = runPelk({"--cacert", certificates().file(c.authority)},
                             manager, {"SHOW SYSTEM"}, files.path());
    std::string error = c.error;
    replaceAll(error, "ADDRESS", sim.address());
    EXPECT_OUTPUT(preamble(manager) + echo("SHOW SYSTEM") +
                      "\nError: EMClientAPITNG error ->\n" + error,
                  run.output);
    // One line: the refused handshake on 12301.
    const std::string log = sim.requestLogOf(1);
    EXPECT_EQ(0u, log.find("12301 ")) << log;
    EXPECT_NE(std::string::npos, log.find(" TLS handshake failed: ")) << log;
    EXPECT_EQ(log.size() - 1, log.find('\n')) << log;
  }
}

// --insecure trusts any certificate for any name, and says so once.
TEST(Tls, InsecureConnectsToAnyServerAndSaysSoOnce) {
  REQUIRE_CERTIFICATES();
  SimSession sim(loopbackAddress(186), "", tlsSim("wrong-name"));
  REQUIRE_SIM(sim);
  ScratchDirectory files;
  ProgramRun run =
      runPelk({"--insecure"}, "https://" + sim.address(),
              {"SHOW SYSTEM", "SHOW SYSTEM", "EMVERSION"}, files.path());
  EXPECT_NE(std::string::npos, run.output.find("  Production\n")) << run.output;
  EXPECT_EQ(std::string::npos, run.output.find("Error")) << run.output;
  EXPECT_EQ(
      "pelk: warning: --insecure: the certificates and names of managers "
      "reached over TLS are not checked\n",
      run.errors);
}

// A front that asks for a client certificate gets the one of --cert and
// --key; without one the session is refused, and a key that other users
// may read is not used, nor the server troubled. The debug log says where
// the session went and holds nothing of the key.
TEST(Tls, AClientCertificateIsShownWhenAsked) {
  REQUIRE_CERTIFICATES();
  SimSession sim(
      loopbackAddress(189), "",
      tlsSim("server", {"--tls-client-ca", certificates().file("ca.pem")}));
  REQUIRE_SIM(sim);
  const std::string manager = "https://" + sim.address();
  const std::string authority = certificates().file("ca.pem");
  const std::string certificate = certificates().file("client.pem");
  const std::string key = certificates().file("client.key");
  ScratchDirectory files;
  const std::string openKey = files.path() + "/open.key";
  const struct {
    const char* what;
    std::vector<std::string> options;
    std::string error;
    std::string logged;  // what the simulator's log says, "" for nothing
  } refused[] = {
      {"no certificate",
       {"--cacert", authority},
       "EMCLIENTAPITLS_SESSION_ERROR : The TLS session with the server "
       "failed.\nManager https://ADDRESS:12301: tlsv13 alert certificate "
       "required\n",
       " TLS handshake failed: peer did not return a certificate\n"},
      {"a key others may read",
       {"--cacert", authority, "--cert", certificate, "--key", openKey},
       "EMCLIENTAPITLS_SETUP_ERROR : The TLS certificate authorities, "
       "certificate or key cannot be used.\nManager https://ADDRESS:12301: " +
           openKey + ": other users may read the key (chmod 600 " + openKey +
           ")\n",
       ""},
  };
  {
    std::ifstream in(key);
    std::ofstream(openKey) << in.rdbuf();
  }
  ASSERT_EQ(0, chmod(openKey.c_str(), 0644));
  const auto logEnds = [](const std::string& log, const std::string& end) {
    return log.size() >= end.size() &&
           log.compare(log.size() - end.size(), end.size(), end) == 0;
  };
  for (const auto& c : refused) {
    SCOPED_TRACE(c.what);
    const std::string before = sim.requestLog();
    ProgramRun run = runPelk(c.options, manager, {"SHOW SYSTEM"}, files.path());
    std::string error = c.error;
    replaceAll(error, "ADDRESS", sim.address());
    EXPECT_OUTPUT(preamble(manager) + echo("SHOW SYSTEM") +
                      "\nError: EMClientAPITNG error ->\n" + error,
                  run.output);
    // The refused session is the log's only line; the refused key makes
    // none.
    if (c.logged.empty()) {
      EXPECT_EQ(before, sim.requestLog());
    } else {
      const std::string log =
          sim.requestLogOf(countLines(before) + 1).substr(before.size());
      EXPECT_EQ(0u, log.find("12301 ")) << log;
      EXPECT_TRUE(logEnds(log, c.logged)) << log;
      EXPECT_EQ(log.size() - 1, log.find('\n')) << log;
    }
  }

  ProgramRun run = runPelk(
      {"--cacert", authority, "--cert", certificate, "--key", key}, manager,
      {"DEBUG INFORMATION TALLOW_FLAGS=111", "SHOW SYSTEM"}, files.path());
  EXPECT_NE(std::string::npos, run.output.find("  Production\n")) << run.output;
  const std::string debugLog = files.read("EMClientAPIDebug.txt");
  EXPECT_NE(std::string::npos, debugLog.find(" ** TLS session with " + manager +
                                             ":12301: TLSv1.3"))
      << debugLog;
  // The key's text, a line of its body included, is nowhere in the log.
  std::ifstream keyFile(key);
  std::string keyLine;
  std::getline(keyFile, keyLine);
  std::getline(keyFile, keyLine);
  EXPECT_EQ(std::string::npos, debugLog.find("PRIVATE KEY"));
  EXPECT_EQ(std::string::npos, debugLog.find(keyLine)) << keyLine;
}

// The installed program finds the TLS library where it is installed,
// relative to itself, and says plainly when it is not there.
TEST(Tls, TheLibraryIsFoundWhereItIsInstalled) {
  REQUIRE_CERTIFICATES();
  SimSession sim(loopbackAddress(179), "", tlsSim("server"));
  REQUIRE_SIM(sim);
  namespace fs = std::filesystem;
  ScratchDirectory root;
  const fs::path bin = fs::path(root.path()) / "bin";
  const fs::path installed = bin / PELK_TLS_LIBRARY_DIR;
  fs::create_directories(bin);
  fs::copy_file(PELK_BINARY, bin / "pelk");
  const std::string manager = "https://" + sim.address();
  ProgramOptions options;
  options.arguments = {"--cacert", certificates().file("ca.pem"),
                       "SET OPTIONS NOCOMMAND_DELAY",
                       "SELECT MANAGER " + manager + kUser, "SHOW SYSTEM"};
  options.directory = root.path();
  ProgramRun run = testing_support::runProgram(bin / "pelk", options);
  EXPECT_OUTPUT(preamble(manager) + echo("SHOW SYSTEM") +
                    "\nError: EMClientAPITNG error ->\n"
                    "EMCLIENTAPITLS_UNAVAILABLE_ERROR : TLS is not "
                    "available: its library could not be loaded.\nManager " +
                    manager + ":12301: libpelk_tls.so is neither in " +
                    installed.string() + " nor in " + bin.string() + "/\n",
                run.output);
  EXPECT_EQ("", sim.requestLog());

  fs::create_directories(installed);
  fs::copy_file(PELK_TLS_LIBRARY, installed / "libpelk_tls.so");
  run = testing_support::runProgram(bin / "pelk", options);
  EXPECT_NE(std::string::npos, run.output.find("  Production\n")) << run.output;
}

// A manager named with https:// is never spoken to in clear: not when it
// serves in clear, not when its TLS port is closed and the login path is
// tried instead. Plain ports see a handshake they cannot read and no
// request.
TEST(Tls, NothingIsSentInClearToATlsManager) {
  const struct {
    const char* what;
    std::vector<std::string> simArguments;
    std::string error;
  } cases[] = {
      {"the manager serves in clear",
       {"--demo", "--request-timeout", "300"},
       "EMCLIENTAPITLS_HANDSHAKE_ERROR : The TLS handshake with the server "
       "failed.\nManager https://ADDRESS:12301: wrong version number\n"},
      {"its TLS port is closed",
       {"--demo", "--text-port", "off"},
       "EMCLIENTAPITLS_HANDSHAKE_ERROR : The TLS handshake with the server "
       "failed.\nManager https://ADDRESS:2301: wrong version number\n"},
  };
  int address = 187;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SimSession sim(loopbackAddress(address++), "", c.simArguments);
    REQUIRE_SIM(sim);
    ScratchDirectory files;
    const std::string manager = "https://" + sim.address();
    ProgramRun run = runPelk({}, manager, {"SHOW SYSTEM"}, files.path());
    std::string error = c.error;
    replaceAll(error, "ADDRESS", sim.address());
    EXPECT_OUTPUT(preamble(manager) + echo("SHOW SYSTEM") +
                      "\nError: EMClientAPITNG error ->\n" + error,
                  run.output);
    const std::string log = sim.requestLog();
    for (const char* request : {"POST", "Get ", "Post "}) {
      EXPECT_EQ(std::string::npos, log.find(request)) << log;
    }
  }
}

}  // namespace
}  // namespace e2e
