// DR groups across the demo's two initialized systems.
#include <gtest/gtest.h>

#include "sim/answer.h"
#include "sim/demo_scenario.h"
#include "sim/operations.h"
#include "sim/refusals.h"
#include "sim/scenario.h"
#include "sim_client.h"

namespace {

using Props = std::vector<std::pair<std::string, std::string>>;

class DrGroups : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(sim::LoadScenario(sim::kDemoScenario, model_, error)) << error;
  }

  sim::Answer Run(sim::Dialect dialect, const std::string& operation,
                  Props props) {
    sim::OperationRequest request;
    request.dialect = dialect;
    request.version = "3.2";
    request.operation = operation;
    for (auto& [name, value] : props)
      request.properties.push_back({name, value});
    return sim::Execute(model_, request);
  }

  std::string Render(const sim::Answer& answer) {
    return sim::RenderV3(answer, "3.2");
  }

  std::string IdOf(const std::string& type, const std::string& name,
                   const char* system) {
    std::string list =
        sim::RenderV1(Run(sim::Dialect::kV1, "Get",
                          {{"Type", type}, {"ElementID", system}, {"ID", ""}}),
                      true);
    auto names = simtest::Values(list, "Name");
    auto ids = simtest::Values(list, "ID");
    for (size_t i = 0; i < names.size(); ++i) {
      if (names[i] == name) return ids[i];
    }
    return "";
  }

  std::string Details(const std::string& type, const std::string& id,
                      const char* system) {
    return Render(
        Run(sim::Dialect::kV3, "getproperties",
            {{"scellid", system}, {"objectid", id}, {"objecttype", type}}));
  }

  sim::Answer CreateGroup(const std::string& name, const std::string& vdisk,
                          const char* destination) {
    return Run(sim::Dialect::kV3, "createobject",
               {{"scellid", simtest::kProduction},
                {"objectid", "0808080808080808080808080808080808080808"},
                {"objecttype", "drmgroup"},
                {"objectname", name},
                {"destscellid", destination},
                {"virtualdiskid", vdisk},
                {"remotevirtualdiskname", ""},
                {"destdiskgroupid", "0000000000000000000000000000000000000000"},
                {"drmmode", "source"},
                {"drcomments", ""}});
  }

  sim::Model model_;
};

TEST_F(DrGroups, CreatingPairsTheDiskWithARemoteCopy) {
  std::string scratch =
      IdOf("Storage", "\\Virtual Disks\\scratch\\ACTIVE", simtest::kProduction);
  sim::Answer created = CreateGroup("Scratch DR", scratch, simtest::kDrSite);
  ASSERT_EQ(created.status, 0) << created.message;
  std::string group =
      IdOf("drmgroup", "\\Data Replication\\Scratch DR", simtest::kProduction);
  std::string details = Details("drmgroup", group, simtest::kProduction);
  // The group's own name and id come first, then its members; the remote
  // system is the first cell named.
  EXPECT_EQ(simtest::Values(details, "objectname"),
            (std::vector<std::string>{"\\Data Replication\\Scratch DR",
                                      "\\Virtual Disks\\scratch\\ACTIVE"}));
  EXPECT_EQ(simtest::Values(details, "objectid"),
            (std::vector<std::string>{group, scratch}));
  EXPECT_EQ(simtest::Values(details, "scellname").at(0), "DR Site");
  EXPECT_EQ(simtest::Values(details, "scellid").at(0), simtest::kDrSite);
  EXPECT_EQ(simtest::Values(details, "drmmode").at(0), "source");

  std::string vdisk = Details("virtualdisk", scratch, simtest::kProduction);
  EXPECT_EQ(simtest::Values(vdisk, "drmmode"),
            std::vector<std::string>{"source"});
  std::string remoteId = simtest::Values(vdisk, "remotevirtualdiskid").at(0);
  EXPECT_EQ(simtest::Values(vdisk, "remotescellid"),
            std::vector<std::string>{simtest::kDrSite});
  std::string remote = Details("virtualdisk", remoteId, simtest::kDrSite);
  EXPECT_EQ(simtest::Values(remote, "Name"),
            std::vector<std::string>{"\\Virtual Disks\\scratch\\ACTIVE"});
  EXPECT_EQ(simtest::Values(remote, "drmmode"),
            std::vector<std::string>{"destination"});
  EXPECT_FALSE(
      IdOf("drmgroup", "\\Data Replication\\Scratch DR", simtest::kDrSite)
          .empty());
  EXPECT_EQ(Run(sim::Dialect::kV1, "Delete",
                {{"Type", "Storage"},
                 {"ElementID", simtest::kProduction},
                 {"ID", scratch}})
                .status,
            sim::RefusalNumber(sim::Refusal::kDrMember));
}

TEST_F(DrGroups, SettingsMembershipAndDeletion) {
  std::string scratch =
      IdOf("Storage", "\\Virtual Disks\\scratch\\ACTIVE", simtest::kProduction);
  std::string reports =
      IdOf("Storage", "\\Virtual Disks\\Finance\\reports\\ACTIVE",
           simtest::kProduction);
  ASSERT_EQ(CreateGroup("G1", scratch, simtest::kDrSite).status, 0);
  std::string group =
      IdOf("drmgroup", "\\Data Replication\\G1", simtest::kProduction);
  ASSERT_EQ(Run(sim::Dialect::kV3, "setproperties",
                {{"scellid", simtest::kProduction},
                 {"objectid", group},
                 {"objecttype", "drmgroup"},
                 {"suspend", "suspend"},
                 {"failsafe", "enable"}})
                .status,
            0);
  std::string details = Details("drmgroup", group, simtest::kProduction);
  EXPECT_EQ(simtest::Values(details, "suspendstate").at(0), "suspend");
  EXPECT_EQ(simtest::Values(details, "failsafe").at(0), "enabled");

  ASSERT_EQ(
      Run(sim::Dialect::kV1, "Set",
          {{"Type", "Storage"},
           {"ElementID", simtest::kProduction},
           {"ID", reports},
           {"scellid", simtest::kProduction},
           {"destdiskgroupid", "0000000000000000000000000000000000000000"},
           {"addtogroupid", group}})
          .status,
      0);
  EXPECT_EQ(simtest::Values(Details("drmgroup", group, simtest::kProduction),
                            "objectname")
                .size(),
            3u);
  // The remote has no Finance folder, so the copy goes to its root folder.
  EXPECT_FALSE(
      IdOf("Storage", "\\Virtual Disks\\reports\\ACTIVE", simtest::kDrSite)
          .empty());
  ASSERT_EQ(Run(sim::Dialect::kV1, "Set",
                {{"Type", "Storage"},
                 {"ElementID", simtest::kProduction},
                 {"ID", reports},
                 {"scellid", simtest::kProduction},
                 {"removefromdrgroup", "delete"}})
                .status,
            0);
  EXPECT_TRUE(
      IdOf("Storage", "\\Virtual Disks\\reports\\ACTIVE", simtest::kDrSite)
          .empty());

  ASSERT_EQ(Run(sim::Dialect::kV3, "deleteobject",
                {{"scellid", simtest::kProduction},
                 {"objectid", group},
                 {"objecttype", "drmgroup"}})
                .status,
            0);
  EXPECT_TRUE(
      IdOf("drmgroup", "\\Data Replication\\G1", simtest::kDrSite).empty());
  // The remote copy stays behind as an ordinary disk.
  std::string leftover =
      IdOf("Storage", "\\Virtual Disks\\scratch\\ACTIVE", simtest::kDrSite);
  ASSERT_FALSE(leftover.empty());
  EXPECT_EQ(simtest::Values(Details("virtualdisk", leftover, simtest::kDrSite),
                            "drmmode"),
            std::vector<std::string>{""});
}

TEST_F(DrGroups, DeletingASystemEndsItsDrGroups) {
  sim::Answer deleted =
      Run(sim::Dialect::kV1, "Delete",
          {{"Type", "Element"}, {"ID", simtest::kProduction}});
  ASSERT_EQ(deleted.status, 0) << deleted.message;
  EXPECT_TRUE(IdOf("drmgroup", "\\Data Replication\\Mail DR", simtest::kDrSite)
                  .empty());
  // The partner keeps its copy as an ordinary disk.
  std::string copy =
      IdOf("Storage", "\\Virtual Disks\\Mail\\store\\ACTIVE", simtest::kDrSite);
  ASSERT_FALSE(copy.empty());
  EXPECT_EQ(simtest::Values(Details("virtualdisk", copy, simtest::kDrSite),
                            "drmmode"),
            std::vector<std::string>{""});
  // Everything the system held is gone with it.
  std::string systems = sim::RenderV1(
      Run(sim::Dialect::kV1, "Get", {{"Type", "Element"}, {"ID", ""}}), true);
  EXPECT_EQ(simtest::Values(systems, "Name"),
            (std::vector<std::string>{"5000-1FE1-5000-A9F0",
                                      "5000-1FE1-5000-B2C0", "DR Site"}));
  for (const char* type :
       {"Storage", "StorageClient", "PresentedUnit", "DiskGroup", "drmgroup"}) {
    sim::Answer list =
        Run(sim::Dialect::kV1, "Get",
            {{"Type", type}, {"ElementID", simtest::kProduction}, {"ID", ""}});
    EXPECT_EQ(list.status, 0) << type << ": " << list.message;
    EXPECT_TRUE(simtest::Values(sim::RenderV1(list, true), "Name").empty())
        << type;
  }
}

TEST_F(DrGroups, FailoverSwapsTheRoles) {
  std::string group =
      IdOf("drmgroup", "\\Data Replication\\Mail DR", simtest::kDrSite);
  ASSERT_EQ(Run(sim::Dialect::kV3, "setproperties",
                {{"scellid", simtest::kDrSite},
                 {"objectid", group},
                 {"sitefailover", ""}})
                .status,
            0);
  EXPECT_EQ(
      simtest::Values(Details("drmgroup", group, simtest::kDrSite), "drmmode")
          .at(0),
      "source");
  std::string store = IdOf("Storage", "\\Virtual Disks\\Mail\\store\\ACTIVE",
                           simtest::kProduction);
  EXPECT_EQ(simtest::Values(Details("virtualdisk", store, simtest::kProduction),
                            "drmmode"),
            std::vector<std::string>{"destination"});
}

TEST_F(DrGroups, RefusesWhatTheArrayRefuses) {
  std::string store = IdOf("Storage", "\\Virtual Disks\\Mail\\store\\ACTIVE",
                           simtest::kProduction);
  std::string scratch =
      IdOf("Storage", "\\Virtual Disks\\scratch\\ACTIVE", simtest::kProduction);
  std::string mailDr =
      IdOf("drmgroup", "\\Data Replication\\Mail DR", simtest::kProduction);
  std::string mailDrRemote =
      IdOf("drmgroup", "\\Data Replication\\Mail DR", simtest::kDrSite);
  std::string before = sim::SaveScenario(model_);
  using R = sim::Refusal;
  EXPECT_EQ(CreateGroup("G", scratch, simtest::kProduction).status,
            sim::RefusalNumber(R::kSameSystem));
  EXPECT_EQ(CreateGroup("G", store, simtest::kDrSite).status,
            sim::RefusalNumber(R::kDrMember));
  EXPECT_EQ(CreateGroup("G", scratch, simtest::kUninitialized).status,
            sim::RefusalNumber(R::kNotInitialized));
  EXPECT_EQ(CreateGroup("Mail DR", scratch, simtest::kDrSite).status,
            sim::RefusalNumber(R::kNameInUse));
  EXPECT_EQ(Run(sim::Dialect::kV3, "deleteobject",
                {{"scellid", simtest::kDrSite},
                 {"objectid", mailDrRemote},
                 {"objecttype", "drmgroup"}})
                .status,
            sim::RefusalNumber(R::kDrDestination));
  EXPECT_EQ(Run(sim::Dialect::kV1, "Set",
                {{"Type", "Storage"},
                 {"ElementID", simtest::kProduction},
                 {"ID", scratch},
                 {"removefromdrgroup", "detach"}})
                .status,
            sim::RefusalNumber(R::kNotDrMember));
  EXPECT_EQ(Run(sim::Dialect::kV1, "Set",
                {{"Type", "Storage"},
                 {"ElementID", simtest::kProduction},
                 {"ID", store},
                 {"removefromdrgroup", "detach"}})
                .status,
            sim::RefusalNumber(R::kInvalidValue));
  EXPECT_EQ(Run(sim::Dialect::kV3, "setproperties",
                {{"scellid", simtest::kProduction},
                 {"objectid", mailDr},
                 {"writemode", "sometimes"}})
                .status,
            sim::RefusalNumber(R::kInvalidValue));
  EXPECT_TRUE(sim::SaveScenario(model_) == before);
}

}  // namespace
