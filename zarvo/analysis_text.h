// What 'zarvo analyse' prints about a search: a JSON object per iteration and for the result,
// and the one summary line it ends with.
#pragma once

#include <optional>
#include <string>

#include "deep/deep_search.h"

namespace zarvo::tool {

// {"type":"iteration","depth":9,"score":112,"nodes":801234,"solver_nodes":203410,
//  "time_ms":541,"pv":["9,10","10,11"]}
std::string IterationJson(const deep::TIterationInfo& info);

// {"type":"result","to_move":"x","move":"9,10","decided_by":"search","score":...,"depth":...,
//  "nodes":...,"solver_nodes":...,"time_ms":...,"pv":[...],"win_in_plies":7,"winner":"x"};
// "move" null on a full board, "win_in_plies" and "winner" null without a proven result.
std::string ResultJson(char toMove, const std::optional<deep::TSearchResult>& result);

// "best 9,10 for x: score 112 at depth 9 (depths 8 and 9 average 86), nodes 1270000, 955 ms",
// with "; x wins in 7 plies" for a proven result; "no move: the board is full" without one.
// previousScore: the score of the iteration before the last, when there was one.
std::string SummaryLine(char toMove, const std::optional<deep::TSearchResult>& result,
                        std::optional<int> previousScore);

}  // namespace zarvo::tool
