// The round trip a capture exists for: the demo's two arrays, joined by a
// DR group, are captured; the scripts are validated, replayed with FILE on
// a second manager whose arrays are uninitialized, and that restored pair
// captures to the same scripts apart from the lines naming the time and
// the manager.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "capture_support.h"
#include "pelk_runner.h"
#include "sim_server.h"
#include "support/loopback.h"

namespace e2e {
namespace {

using testing_support::loopbackAddress;

struct CapturedSystem {
  std::string name;      // as SELECT SYSTEM takes it
  std::string wwn;       // the array it is restored on
  std::string fileName;  // of its capture
};

const CapturedSystem kSystems[] = {
    {"Production", "5000-1FE1-5000-A9F0", "production.txt"},
    {"\"DR Site\"", "5000-1FE1-5000-C4D0", "drsite.txt"},
};

const char* const kSteps[] = {"Step1A", "Step1B", "Step1C", "Step2", "Step3"};

// The demo's two arrays as they leave the factory.
const std::string kBlankArrays = "{" + kScenarioManager + R"(, "systems": [
  {"wwn": "5000-1FE1-5000-A9F0", "initialized": false,
   "disk_shelves": [{"count": 24, "type": "Online", "capacity_gb": 146},
                    {"count": 12, "type": "Near-Online", "capacity_gb": 500}]},
  {"wwn": "5000-1FE1-5000-C4D0", "initialized": false,
   "disk_shelves": [{"count": 16, "type": "Online", "capacity_gb": 146}]}]})";

std::string stepFile(const std::string& fileName, const std::string& step) {
  return fileName.substr(0, fileName.find('.')) + "_" + step + ".txt";
}

std::vector<std::string> captureBoth(SimServer& server) {
  std::vector<std::string> lines;
  for (const CapturedSystem& system : kSystems) {
    lines.push_back("SELECT SYSTEM " + system.name);
    lines.push_back("CAPTURE CONFIGURATION " + system.fileName);
  }
  runAgainst(server, lines);
  return lines;
}

// A script without the lines that name when and from where it was taken,
// and so without the checksum that covers them.
std::string comparable(const std::string& script) {
  std::istringstream stream(script);
  std::string kept;
  for (std::string line; std::getline(stream, line);) {
    if (line.starts_with("! CAPTURE CONFIGURATION ") ||
        line.starts_with("! Manager: ") ||
        line.starts_with("! PELK CAPTURE script checksum end: ")) {
      continue;
    }
    kept += line + "\n";
  }
  return kept;
}

TEST(CaptureRoundTrip, ARestoredSystemCapturesToTheSameScripts) {
  SimServer original(loopbackAddress(68));
  ScenarioSim blank(loopbackAddress(69), kBlankArrays);
  ASSERT_TRUE(original.listening());
  ASSERT_TRUE(blank.server().listening());
  captureBoth(original);

  // Every script written is intact; a script changed by one byte is not.
  std::vector<std::string> replayed;
  for (const char* step : kSteps) {
    for (const CapturedSystem& system : kSystems) {
      std::string path =
          original.directory() + "/" + stepFile(system.fileName, step);
      if (fileText(path) == "<missing>") continue;
      replayed.push_back(step == std::string("Step1A")
                             ? "SELECT SYSTEM " + system.wwn
                             : "SELECT SYSTEM " + system.name);
      replayed.push_back("FILE " + path);
      SessionRun check = runAgainst(original, {"CAPTURE VALIDATE " + path});
      EXPECT_TRUE(check.output.ends_with(
          "\nUnmodified CAPTURE script between checksum start and end"))
          << check.output;
    }
  }
  ASSERT_EQ(10u, replayed.size()) << "Step1A of both, Step1B, Step1C, Step2 "
                                     "of Production, Step3 of neither";
  std::string changed =
      fileText(original.directory() + "/production_Step2.txt");
  changed[changed.find("SYNCHRONOUS")] = 'A';
  std::ofstream(original.directory() + "/changed.txt") << changed;
  EXPECT_TRUE(
      runAgainst(original, {"CAPTURE VALIDATE changed.txt"})
          .output.ends_with("\nError: CAPTURE script has been modified"));

  // Each script stops at its first failing command, which would end the
  // session with status 1.
  SessionRun restore = runAgainst(blank.server(), replayed);
  EXPECT_EQ(0, restore.exitStatus) << restore.output;
  EXPECT_EQ(std::string::npos, restore.output.find("Error")) << restore.output;

  captureBoth(blank.server());
  for (const char* step : kSteps) {
    for (const CapturedSystem& system : kSystems) {
      std::string name = stepFile(system.fileName, step);
      SCOPED_TRACE(name);
      EXPECT_OUTPUT(comparable(fileText(original.directory() + "/" + name)),
                    comparable(fileText(blank.file(name))));
    }
  }
}

}  // namespace
}  // namespace e2e
