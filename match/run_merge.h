// Runs of one match merged into the match's result: the shards of a match played apart (on a
// cluster, say), in any number and any mix of shard counts.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "match/match_runner.h"
#include "match/run_result.h"

namespace zarvo::match {

struct TMergedMatch {
  TMatchIdentity Match;
  // Each game once, sorted by number; its record holds the number, result and reason alone.
  TMatchResult Result;
  std::vector<int> Missing;          // numbers of the match's games no run holds
  std::vector<int> Duplicated;       // games more than one run holds: the first run's counts
  std::vector<std::size_t> Unended;  // runs still playing or killed: no End line
  std::vector<std::size_t> Stopped;  // runs ended early by a stop request
};

// Nothing, with the reason in error, when there is no run or the runs are of different matches.
std::optional<TMergedMatch> MergeRuns(const std::vector<TRunResult>& runs, std::string& error);

}  // namespace zarvo::match
