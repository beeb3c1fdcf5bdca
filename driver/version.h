// The version every program of the engine reports with --version.
#pragma once

namespace zarvo {

inline constexpr const char* kZarvoVersion = "2.0";

}  // namespace zarvo
