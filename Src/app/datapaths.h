#pragma once

// Both files resolve against the working directory, not the executable's
// folder: Tarn is started from a sibling folder of Data/.
namespace datapaths {
inline constexpr char dataFolder[] = "../Data";
inline constexpr char catalogFile[] = "../Data/Data";
inline constexpr char configFile[] = "../Data/Config";
} // namespace datapaths
