// The build number and product version the banner, --version and DEBUG
// INFORMATION show.
#pragma once

namespace session {

inline constexpr char kBuildNumber[] = "7";
inline constexpr char kProductVersion[] = "3.2";

}  // namespace session
