// Scenario files: the demo loads, a saved state loads back into the same
// state, and a broken file is refused with the place of the fault.
#include "sim/scenario.h"

#include <gtest/gtest.h>

#include "sim/demo_scenario.h"
#include "sim/operations.h"

namespace {

TEST(Scenario, SavedStateLoadsBackIdentically) {
  sim::Model model;
  std::string error;
  ASSERT_TRUE(sim::LoadScenario(sim::kDemoScenario, model, error)) << error;
  ASSERT_EQ(model.systems.size(), 3u);
  EXPECT_FALSE(model.systems[1].initialized);
  EXPECT_EQ(model.systems[1].name, "5000-1FE1-5000-B2C0");
  std::string saved = sim::SaveScenario(model);
  sim::Model again;
  ASSERT_TRUE(sim::LoadScenario(saved, again, error)) << error;
  EXPECT_TRUE(sim::SaveScenario(again) == saved);
  // Identifiers given out after a reload continue where they stopped.
  EXPECT_EQ(again.systems[0].nextSerial, model.systems[0].nextSerial);
}

TEST(Scenario, RefusesBrokenFilesAndKeepsTheModel) {
  const struct {
    const char* text;
    const char* where;
  } cases[] = {
      {"not json", "line 1, column 2: syntax error while parsing value"},
      {"{\n  \"systems\": [\n    {\"name\": \"A\",}\n  ]\n}",
       "line 3, column 18: syntax error while parsing object key"},
      {"{\"clock\": 1",
       "line 1, column 12: syntax error while parsing object - unexpected end"},
      {"[1,2]", "not a JSON object"},
      {R"({"systems": [{"name": "A"}]})", "systems[0]: missing \"wwn\""},
      {R"({"systems": [{"name": "A", "wwn": "123"}]})",
       "systems[0]: invalid wwn"},
      {R"({"systems": [{"name": "A<b", "wwn": "5000-0000-0000-0001"}]})",
       "systems[0]: name"},
      {R"({"systems": [{"name": "A", "wwn": "5000-0000-0000-0001",
           "hosts": [{"name": "\\Nowhere\\h"}]}]})",
       "systems[0]: no folder"},
      {R"({"systems": [{"name": "A", "wwn": "5000-0000-0000-0001",
           "disk_groups": [{"name": "\\Disk Groups\\G", "disks": 8}]}]})",
       "systems[0]: not enough free disks"},
      {R"({"systems": [{"name": "A", "wwn": "5000-0000-0000-0001",
           "vdisks": [{"name": "\\Virtual Disks\\v", "group": "x"}]}]})",
       "systems[0]: \\Virtual Disks\\v must end in \\ACTIVE"},
      {R"({"systems": [{"name": "A", "wwn": "5000-0000-0000-0001", "disks": "many"}]})",
       "systems[0]: disks is not an array"},
      {R"({"systems": [{"name": "A", "wwn": "5000-0000-0000-0001", "console_lun_id": 40000}]})",
       "systems[0]: console_lun_id"},
      {R"({"systems": [{"name": "A", "wwn": "5000-0000-0000-0001"},
                       {"name": "A", "wwn": "5000-0000-0000-0002"}]})",
       "systems[1]: name or number"},
      {R"({"systems": [{"name": "A", "wwn": "5000-0000-0000-0001",
           "dr_groups": [{"name": "\\Data Replication\\g", "remote_system": "B",
                          "remote_group": "x"}]}]})",
       "systems[0]: bad remote_system B"},
  };
  for (const auto& c : cases) {
    sim::Model model;
    model.version = "untouched";
    std::string error;
    EXPECT_FALSE(sim::LoadScenario(c.text, model, error)) << c.text;
    EXPECT_EQ(error.rfind(c.where, 0), 0u) << "error: " << error;
    EXPECT_EQ(model.version, "untouched");
  }
}

TEST(Scenario, ChangesSurviveASaveAndLoad) {
  sim::Model model;
  std::string error;
  ASSERT_TRUE(sim::LoadScenario(sim::kDemoScenario, model, error)) << error;
  sim::OperationRequest create;
  create.operation = "Create";
  create.properties = {{"Type", "Element"},
                       {"ID", model.systems[1].id},
                       {"Name", "Lab"},
                       {"DeviceCount", "8"}};
  ASSERT_EQ(sim::Execute(model, create).status, 0);
  sim::Model again;
  ASSERT_TRUE(sim::LoadScenario(sim::SaveScenario(model), again, error))
      << error;
  EXPECT_EQ(again.systems[1].name, "Lab");
  EXPECT_TRUE(again.systems[1].initialized);
  EXPECT_TRUE(sim::SaveScenario(again) == sim::SaveScenario(model));
}

}  // namespace
