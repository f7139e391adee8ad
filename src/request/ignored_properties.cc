#include "request/ignored_properties.h"

#include <cstring>

namespace request {
namespace {

constexpr const char* kIgnoredProperties[] = {
    "Available_storage_space",
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
    "World_Wide_Lun_Name",
};

}  // namespace

bool isIgnoredProperty(const session::CommandContext& context,
                       const char* name) {
  if ((context.session->sessionFlags & session::kRegressionCapture) == 0) {
    return false;
  }
  for (const char* ignored : kIgnoredProperties) {
    if (std::strcmp(ignored, name) == 0) return true;
  }
  return false;
}

}  // namespace request
