// Names of the files the engine exchanges with the manager and its neighbours.
#pragma once

namespace zarvo {

inline constexpr const char* kMoveFileName = "Tah.dat";
inline constexpr const char* kBoardFileName = "Plocha.dat";
inline constexpr const char* kTimeOutsFileName = "TimeOuts.dat";
inline constexpr const char* kLossStateFileName = "DiDeRo.zrv";
inline constexpr const char* kLossMarkerFileName = "DiDeRoLose.zrv";
inline constexpr const char* kDefaultExeBaseName = "Zarvo";

}  // namespace zarvo
