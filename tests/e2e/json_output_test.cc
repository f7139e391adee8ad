// pelk --json against pelk-sim: every line is strict JSON, every SHOW
// reports what the simulator holds, and no question is ever asked.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "capture_support.h"
#include "json_lines.h"
#include "pelk_runner.h"
#include "request_sim_session.h"
#include "sim_server.h"
#include "support/loopback.h"

namespace e2e {
namespace {

using testing_support::loopbackAddress;

std::vector<std::string> withDemoManager(const std::string& address,
                                         std::vector<std::string> lines) {
  lines.insert(lines.begin(), {"SET OPTIONS NOCOMMAND_DELAY",
                               "SELECT MANAGER " + address +
                                   " USERNAME=administrator PASSWORD=admin"});
  return lines;
}

// The lines of a run by their command, each command given once.
std::map<std::string, Json> byCommand(const std::vector<Json>& lines) {
  std::map<std::string, Json> found;
  for (const Json& line : lines) found[line["command"]] = line;
  return found;
}

std::vector<std::string> namesOf(const Json& entries, const char* key) {
  std::vector<std::string> names;
  for (const Json& entry : entries) names.push_back(entry[key]);
  return names;
}

// The "key" of every object of a FULL listing.
std::vector<std::string> fieldOf(const Json& objects, const char* key) {
  std::vector<std::string> values;
  for (const Json& object : objects) values.push_back(object.value(key, ""));
  return values;
}

const char* const kSession[] = {
    "SELECT SYSTEM Production",
    ("ADD HOST \\Hosts\\jobs OPERATING_SYSTEM=ORDAN "
     "WORLD_WIDE_NAME=1000-0000-0000-00AA COMMENT=\"added by a job\""),
    "SET HOST \\Hosts\\jobs COMMENT=\"changed by a job\"",
    "DELETE HOST \\Hosts\\Backup",
    "SHOW SYSTEM",
    "SHOW SYSTEM FULL",
    "SHOW DISK",
    "SHOW DISK FULL",
    "SHOW DISK_GROUP",
    "SHOW DISK_GROUP FULL",
    "SHOW DR_GROUP",
    "SHOW DR_GROUP FULL",
    "SHOW FOLDER",
    "SHOW FOLDER FULL",
    "SHOW HOST",
    "SHOW HOST FULL",
    "SHOW LUN",
    "SHOW LUN FULL",
    "SHOW MONITOR",
    "SHOW MONITOR FULL",
    "SHOW POWER",
    "SHOW POWER FULL",
    "SHOW VDISK",
    "SHOW VDISK FULL",
    "SHOW DISK_EVENT",
    "SHOW DISK_EVENT FULL",
    "SHOW MANAGEMENT_EVENT",
    "SHOW WORLD_WIDE_NAME",
    "SHOW HOST \\Hosts\\jobs",
    "SHOW OPTIONS",
    "SHOW MANAGER",
    "SHOW TIME",
    "EMVERSION",
    "EXERCISE_DISK SUMMARY",
    "SHOW VDISK nosuch",
    "SHOW XYZ",
    "CAPTURE CONFIGURATION cfg.txt",
    "CAPTURE VALIDATE cfg_Step1A.txt",
    "CAPTURE CONFIGURATION",
};

TEST(JsonOutput, ASessionOfEveryKindMatchesTheSimulatorsState) {
  testing_support::ScratchDirectory scratch;
  const std::string directory = scratch.path();
  const std::string statePath = directory + "/state.json";
  const std::string address = loopbackAddress(170);
  auto sim = std::make_unique<SimServer>(
      address, std::vector<std::string>{"--demo", "--save", statePath});
  ASSERT_TRUE(sim->listening());
  std::vector<std::string> arguments =
      withDemoManager(address, {std::begin(kSession), std::end(kSession)});
  arguments.insert(arguments.begin(), "--json");
  testing_support::ProgramRun run = runArguments(arguments, "", directory);
  sim.reset();  // it saves its state as it stops
  std::ifstream stateFile(statePath);
  Json state = Json::parse(stateFile, nullptr, false);
  ASSERT_TRUE(state.is_object()) << "no state saved";

  std::vector<Json> lines = jsonLines(run.output);
  ASSERT_EQ(arguments.size() - 1, lines.size()) << run.output;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    // The manager's password is masked; every other line is as given.
    std::string command = arguments[i + 1];
    if (std::size_t at = command.find("PASSWORD=admin");
        at != std::string::npos) {
      command.replace(at, 14, "PASSWORD=********");
    }
    EXPECT_EQ(command, lines[i]["command"]);
  }
  std::map<std::string, Json> line = byCommand(lines);
  for (const char* change : {kSession[1], kSession[2], kSession[3]}) {
    EXPECT_EQ(true, line[change]["ok"]) << line[change].dump();
  }

  const Json& production = state["systems"][0];
  const struct {
    const char* keyword;
    const char* kind;
    const Json& entries;
    const char* nameKey;
  } kinds[] = {
      {"SYSTEM", "Systems", state["systems"], "name"},
      {"DISK", "Disks", production["disks"], "name"},
      {"DISK_GROUP", "Disk_Groups", production["disk_groups"], "name"},
      {"FOLDER", "Folders", production["folders"], "path"},
      {"HOST", "Hosts", production["hosts"], "name"},
      {"MONITOR", "Monitors", production["monitors"], "name"},
      {"VDISK", "Vdisks", production["vdisks"], "name"},
  };
  for (const auto& kind : kinds) {
    SCOPED_TRACE(kind.keyword);
    const Json& list = line[std::string("SHOW ") + kind.keyword];
    const Json& full = line[std::string("SHOW ") + kind.keyword + " FULL"];
    EXPECT_EQ(kind.kind, list["kind"]);
    EXPECT_EQ(namesOf(kind.entries, kind.nameKey), list["objects"]);
    EXPECT_EQ(namesOf(kind.entries, kind.nameKey),
              fieldOf(full["objects"], "Name"));
    EXPECT_EQ(namesOf(kind.entries, "id"), fieldOf(full["objects"], "ID"));
  }

  // Elements in the server's order, arrays of rows under their labels.
  const Json& hosts = line["SHOW HOST FULL"]["objects"];
  std::vector<std::string> keys;
  for (const auto& item : hosts[0].items()) keys.push_back(item.key());
  EXPECT_EQ(
      (std::vector<std::string>{"Name", "ID", "Operating_system", "IPAddress",
                                "Comments", "Port", "Presentation"}),
      keys);
  for (std::size_t h = 0; h < hosts.size(); ++h) {
    EXPECT_EQ(production["hosts"][h]["ports"].size(), hosts[h]["Port"].size());
    for (std::size_t p = 0; p < hosts[h]["Port"].size(); ++p) {
      EXPECT_EQ(production["hosts"][h]["ports"][p],
                hosts[h]["Port"][p]["Port"]);
    }
  }
  const Json& added = line["SHOW HOST \\Hosts\\jobs"];
  EXPECT_EQ("\\Hosts\\jobs", added["name"]);
  EXPECT_EQ("changed by a job", added["object"]["Comments"]);
  EXPECT_EQ("1000-0000-0000-00AA", added["object"]["Port"][0]["Port"]);
  for (const Json& host : production["hosts"]) {
    EXPECT_NE("\\Hosts\\Backup", host["name"]);
  }

  // Systems hold their capacity as a category.
  EXPECT_EQ("Main data center array",
            line["SHOW SYSTEM FULL"]["objects"][0]["Comments"]);
  EXPECT_TRUE(line["SHOW SYSTEM FULL"]["objects"][0]["Capacity"].contains(
      "Total_storage_space"));

  // A LUN's name is its number; the numbers and identifiers are the
  // simulator's.
  const Json& luns = line["SHOW LUN FULL"]["objects"];
  ASSERT_EQ(production["luns"].size(), luns.size());
  for (std::size_t i = 0; i < luns.size(); ++i) {
    EXPECT_EQ(std::to_string(production["luns"][i]["lun"].get<int>()),
              luns[i]["Lun"]);
    EXPECT_EQ(production["luns"][i]["id"], luns[i]["ID"]);
  }
  EXPECT_EQ(luns.size(), line["SHOW LUN"]["objects"].size());

  // A DR group's answer repeats objectid and objectname for its members.
  const Json& group = line["SHOW DR_GROUP FULL"]["objects"][0];
  const Json& drGroup = production["dr_groups"][0];
  EXPECT_EQ(drGroup["id"], group["objectid"][0]);
  EXPECT_EQ(drGroup["name"], group["objectname"][0]);
  EXPECT_EQ(drGroup["members"][0], group["objectname"][1]);
  EXPECT_EQ(namesOf(production["dr_groups"], "name"),
            line["SHOW DR_GROUP"]["objects"]);

  // Power objects answer with both controllers as rows.
  EXPECT_EQ(namesOf(production["controllers"], "name"),
            line["SHOW POWER"]["objects"]);
  EXPECT_EQ(
      namesOf(production["controllers"], "name"),
      fieldOf(line["SHOW POWER FULL"]["objects"][0]["Controller"], "Name"));

  std::vector<std::string> diskEvents;
  for (const Json& event : production["events"]) {
    if (event["kind"] == "disk") diskEvents.push_back(event["text"]);
  }
  EXPECT_EQ(diskEvents,
            fieldOf(line["SHOW DISK_EVENT FULL"]["objects"], "Description"));
  EXPECT_EQ(diskEvents.size(), line["SHOW DISK_EVENT"]["objects"].size());
  EXPECT_FALSE(line["SHOW MANAGEMENT_EVENT"]["objects"].empty());
  const Json& names = line["SHOW WORLD_WIDE_NAME"]["objects"];
  EXPECT_NE(names.end(),
            std::find(names.begin(), names.end(), production["wwn"]));

  EXPECT_EQ(Json::parse(R"({"COMMAND_DELAY": 0, "DISPLAY_WIDTH": 80,
                            "ON_ERROR": "CONTINUE", "RETRIES": 4,
                            "SAFE_DELETE": true})"),
            line["SHOW OPTIONS"]["options"]);
  EXPECT_EQ(Json({{"address", address + ":12301"},
                  {"username", "administrator"},
                  {"password_specified", true}}),
            line["SHOW MANAGER"]["manager"]);
  EXPECT_EQ(24u, line["SHOW TIME"]["time"]["local"].get<std::string>().size());
  EXPECT_TRUE(line["SHOW TIME"]["time"]["epoch_seconds"].is_number_integer());
  EXPECT_EQ(Json({{"address", address + ":12301"},
                  {"version", state["manager"]["version"]},
                  {"build", state["manager"]["build"]}}),
            line["EMVERSION"]["element_manager"]);
  EXPECT_TRUE(line["EXERCISE_DISK SUMMARY"]["summary"].is_string());

  EXPECT_EQ("Error: nosuch not found", line["SHOW VDISK nosuch"]["error"]);
  EXPECT_EQ("Error: Syntax error at or near here", line["SHOW XYZ"]["error"]);
  EXPECT_EQ(6, line["SHOW XYZ"]["column"]);

  const Json& capture = line["CAPTURE CONFIGURATION cfg.txt"];
  EXPECT_EQ(true, capture["ok"]);
  EXPECT_EQ("cfg_Step1A.txt", capture["files"][0]);
  EXPECT_EQ(5u, capture["steps"].size());
  for (const Json& file : capture["files"]) {
    EXPECT_NE("<missing>", fileText(directory + "/" + file.get<std::string>()))
        << file;
  }
  EXPECT_EQ(false, line["CAPTURE VALIDATE cfg_Step1A.txt"]["modified"]);
  // Without a file the script comes in the line, not on the output.
  const Json& printed = line["CAPTURE CONFIGURATION"];
  EXPECT_EQ(Json::array(), printed["files"]);
  std::vector<std::string> commands;
  for (const Json& text : printed["steps"][0]["lines"]) {
    if (!text.get<std::string>().starts_with("!")) commands.push_back(text);
  }
  EXPECT_EQ(commandLines(fileText(directory + "/cfg_Step1A.txt")), commands);
  EXPECT_EQ(1, run.exitStatus);

  // A captured script changed afterwards.
  std::string capturedStep1A = fileText(directory + "/cfg_Step1A.txt");
  std::size_t at = capturedStep1A.find("ADD HOST");
  ASSERT_NE(std::string::npos, at);
  capturedStep1A.replace(at, 3, "SET");
  std::ofstream(directory + "/cfg_Step1A.txt") << capturedStep1A;
  run = runArguments({"--json", "CAPTURE VALIDATE cfg_Step1A.txt"}, "",
                     directory);
  lines = jsonLines(run.output);
  ASSERT_EQ(1u, lines.size());
  EXPECT_EQ(false, lines[0]["ok"]);
  EXPECT_EQ(true, lines[0]["modified"]);
  EXPECT_EQ("Error: CAPTURE script has been modified", lines[0]["error"]);
}

TEST(JsonOutput, ServerNamesOfAnyBytesStayValidJson) {
  SimServer sim(loopbackAddress(171), {"--demo", "--fault", "odd-names:*"});
  ASSERT_TRUE(sim.listening());
  testing_support::ProgramRun run = runArguments(
      {"--json", "SET OPTIONS NOCOMMAND_DELAY",
       "SELECT MANAGER " + loopbackAddress(171) +
           " USERNAME=administrator "
           "PASSWORD=admin",
       "SHOW SYSTEM", "SHOW SYSTEM FULL", "SELECT SYSTEM \"Q\\\x01\xff\""},
      "", sim.directory());
  std::vector<Json> lines = jsonLines(run.output);
  ASSERT_EQ(5u, lines.size()) << testing_support::escaped(run.output);
  // Quotes, backslashes and control characters as they came; the bytes
  // that are not UTF-8 replaced, a valid character kept.
  const std::string odd =
      "Production \"q\" \\ \x01\x1f\x7f \xc3\xa9 \xef\xbf\xbd( \xef\xbf\xbd";
  EXPECT_EQ(odd, lines[2]["objects"][0]);
  EXPECT_EQ(odd, lines[3]["objects"][0]["Name"]);
  // Such bytes on a command line are not PELK's syntax.
  EXPECT_EQ("SELECT SYSTEM \"Q\\\x01\xef\xbf\xbd\"", lines[4]["command"]);
  EXPECT_EQ("Error: Syntax error at or near here", lines[4]["error"]);
}

TEST(JsonOutput, QuestionsAreRefusedUnlessYesIsGiven) {
  SimSession sim(loopbackAddress(172), kRequestScenario);
  REQUIRE_SIM(sim);
  testing_support::ScratchDirectory scratch;
  const std::string capture = "CAPTURE CONFIGURATION twice.txt";
  // Read from standard input, overwriting a capture asks, and so does
  // deleting a system that holds virtual disks. "Yes" is no answer here,
  // just the next command line.
  std::string input;
  for (const std::string& line : managerArguments(sim.address())) {
    input += line + "\n";
  }
  input += "SELECT SYSTEM Alpha\n" + capture + "\n" + capture +
           "\nSET OPTIONS NOSAFE_DELETE\nDELETE SYSTEM Alpha\nYes\n"
           "SHOW SYSTEM\n";
  testing_support::ProgramRun run =
      runArguments({"--json"}, input, scratch.path());
  std::vector<Json> lines = jsonLines(run.output);
  ASSERT_EQ(9u, lines.size()) << run.output;
  const std::string refusal =
      "Error: This command asks for confirmation; run pelk with --yes to "
      "allow it";
  EXPECT_EQ(true, lines[3]["ok"]);
  EXPECT_EQ(capture, lines[4]["command"]);
  EXPECT_EQ(refusal, lines[4]["error"]);
  EXPECT_EQ("DELETE SYSTEM Alpha", lines[6]["command"]);
  EXPECT_EQ(refusal, lines[6]["error"]);
  EXPECT_EQ("Yes", lines[7]["command"]);
  EXPECT_EQ((std::vector<std::string>{"Alpha", "Empty"}), lines[8]["objects"]);

  run = runArguments({"--json", "--yes"}, input, scratch.path());
  lines = jsonLines(run.output);
  ASSERT_EQ(9u, lines.size()) << run.output;
  EXPECT_EQ(true, lines[4]["ok"]);
  EXPECT_EQ(true, lines[6]["ok"]);
  // A deleted system is listed under its world wide name.
  EXPECT_EQ((std::vector<std::string>{"5000-1FE1-5000-0001", "Empty"}),
            lines[8]["objects"]);
}

}  // namespace
}  // namespace e2e
