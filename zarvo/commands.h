// Subcommands of the zarvo tool. Each takes its own arguments (without the subcommand name),
// writes to out and err, and returns the exit status: 0 done, 1 failed, 2 bad usage.
#pragma once

#include <istream>
#include <ostream>
#include <span>
#include <string_view>

namespace zarvo::tool {

using TArgs = std::span<const std::string_view>;

int RunEval(TArgs args, std::ostream& out, std::ostream& err);
int RunBook(TArgs args, std::ostream& out, std::ostream& err);
int RunBench(TArgs args, std::ostream& out, std::ostream& err);
int RunMatch(TArgs args, std::ostream& out, std::ostream& err);
int RunShow(TArgs args, std::ostream& out, std::ostream& err);
int RunAnalyse(TArgs args, std::ostream& out, std::ostream& err);
int RunFitEval(TArgs args, std::ostream& out, std::ostream& err);
int RunOpenings(TArgs args, std::ostream& out, std::ostream& err);
// Serves until stopped by a signal.
int RunServe(TArgs args, std::ostream& out, std::ostream& err);
// Reads the person's moves from in.
int RunPlay(TArgs args, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace zarvo::tool
