// A regression reference recorded against the simulator marks the values
// that change from run to run, so a later run on a changed capacity still
// passes while a renamed object is reported.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "demo_session.h"
#include "support/loopback.h"

namespace e2e {
namespace {

using testing_support::loopbackAddress;

const char* const kIgnored[] = {"Available_storage_space",
                                "Controller_time",
                                "Created",
                                "ElementRefreshStatus",
                                "Hex_UUID",
                                "ID",
                                "Licenses",
                                "LUNWWID",
                                "Node_world_wide_name",
                                "Occupancy",
                                "Storage_space_used",
                                "Total_capacity",
                                "Total_controller_shelves",
                                "Total_disks",
                                "Total_disk_groups",
                                "Total_disk_shelves",
                                "Total_grouped_disks",
                                "Total_loop_pairs",
                                "Total_locatable_disks",
                                "Total_storage_space",
                                "Total_ungrouped_disks",
                                "Total_unlocatable_devices",
                                "World_Wide_ID",
                                "World_Wide_Lun_Name"};

bool isIgnored(const std::string& name) {
  for (const char* ignored : kIgnored) {
    if (name == ignored) return true;
  }
  return false;
}

TEST(RegressionOnTheSimulator, MarksExactlyTheChangingValues) {
  SimSession sim(loopbackAddress(30), "", kDemo);
  REQUIRE_SIM(sim);
  testing_support::ScratchDirectory scratch;
  const std::string group =
      "SHOW DISK_GROUP \"\\Disk Groups\\Default Disk Group\"";
  runDemo(sim,
          {"SELECT SYSTEM Production", "REGRESSION CAPTURE details.txt", group,
           "SHOW SYSTEM Production",
           "SHOW VDISK \"\\Virtual Disks\\scratch\\ACTIVE\"",
           "REGRESSION CAPTURE EXIT", "REGRESSION CAPTURE names.txt",
           "SHOW VDISK", "REGRESSION CAPTURE EXIT"},
          scratch.path());

  // Every "name : value" line carries the marker exactly when its name is
  // one of the changing values.
  std::istringstream reference(scratch.read("details.txt"));
  const std::regex property(R"(^ *([A-Za-z_]+) : (.*)$)");
  int marked = 0;
  for (std::string line; std::getline(reference, line);) {
    std::smatch match;
    if (!std::regex_match(line, match, property)) continue;
    bool hasMarker = match[2] == "##IGNORE##";
    EXPECT_EQ(isIgnored(match[1]), hasMarker) << line;
    marked += hasMarker;
  }
  EXPECT_GE(marked, 6);

  // More space used in the group changes only marked values.
  auto run = runDemo(sim,
                     {"SELECT SYSTEM Production",
                      "ADD VDISK \"\\Virtual Disks\\grown\" SIZE=200",
                      "REGRESSION TEST details.txt"},
                     scratch.path());
  EXPECT_NE(std::string::npos,
            run.output.find("\n\n\nNo regression differences found\n"))
      << run.output;

  // A renamed virtual disk is reported.
  run = runDemo(
      sim,
      {"SELECT SYSTEM Production",
       "SET VDISK \"\\Virtual Disks\\archive01\\ACTIVE\" NAME=archive02",
       "REGRESSION TEST names.txt"},
      scratch.path());
  EXPECT_NE(std::string::npos,
            run.output.find("\n *   \\Virtual Disks\\archive01\\ACTIVE"))
      << run.output;
  EXPECT_NE(
      std::string::npos,
      run.output.find("\n\n\nNumber of regression differences found: 1\n"))
      << run.output;
}

}  // namespace
}  // namespace e2e
