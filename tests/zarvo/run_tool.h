// Runs the zarvo tool as a person would, and keeps what it printed.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tests/run_process.h"

namespace zarvo::testing {

// zarvo with the given arguments, in workDir (empty: the test's own directory).
inline TRun RunTool(const std::vector<std::string>& args,
                    const std::filesystem::path& workDir = {}) {
  return RunProcess({.Program = ZARVO_TOOL_EXE, .Args = args, .WorkDir = workDir});
}

}  // namespace zarvo::testing
