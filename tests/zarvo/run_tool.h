// Runs the zarvo tool as a person would, and keeps what it printed.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace zarvo::testing {

struct TRun {
  int Status;
  std::string Out, Err;
};

// Runs zarvo with the given arguments, each quoted for the shell; output goes through files in a
// directory of its own so the working directory under test stays as it was.
inline TRun RunTool(const std::vector<std::string>& args) {
  TTempDir capture;
  std::string command = "'" ZARVO_TOOL_EXE "'";
  for (const std::string& arg : args) command += " '" + arg + "'";
  command += " >'" + (capture / "out").string() + "' 2>'" + (capture / "err").string() + "'";
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, capture.Read("out"), capture.Read("err")};
}

}  // namespace zarvo::testing
