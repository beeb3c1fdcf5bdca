// A move-selection context set up by hand, so a search step can be run on a chosen position.
#pragma once

#include <memory>
#include <sstream>
#include <string>

#include "board/line_eval.h"
#include "board/pattern_tables.h"
#include "board/threat_lists.h"
#include "search/search_state.h"
#include "select/engine_state.h"

namespace zarvo::testing {

// Stones written as "x 5,5 6,5 o 4,5": a colour letter switches the colour of the squares after it.
inline void PlaceStones(const TSideMaps& sides, const std::string& text, TPosition& position) {
  std::istringstream in(text);
  std::string word;
  uint8_t stone = kStoneX;
  while (in >> word) {
    if (word == "x" || word == "o") {
      stone = word == "x" ? kStoneX : kStoneO;
      continue;
    }
    const auto comma = word.find(',');
    PlaceStone(sides, stone, std::stoi(word.substr(0, comma)), std::stoi(word.substr(comma + 1)),
               position);
  }
}

inline std::string Picture(const TPosition& position) {
  std::string text;
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 20; ++x) text += ".xo#"[position.Cell(x, y).Stone];
    text += '\n';
  }
  return text;
}

class TSearchSetup {
 public:
  // The engine plays `own`; the stones are evaluated and the lists filled as at a search start.
  explicit TSearchSetup(const std::string& stones, uint8_t own = kStoneX, int maxDepth = 9) {
    BuildPairClass();
    state.Sides.OwnStone = own;
    SetSideMaps(state.Sides);
    state.MaxDepth = maxDepth;
    state.Rng.Seed(1);
    context = std::make_unique<TMoveContext>();
    InitPosition(context->W);
    PlaceStones(state.Sides, stones, context->W);
    RescanAll(context->W, &lists);

    TSearchState& search = state.Search;
    search.EnsureBuffers();
    search.Lists = &lists;
    search.CurrentLevel = 1;
    search.SideIndex = 0;
    search.Levels[1] = context->W;
    context->SideAtLevel[1] = state.Sides.OwnStone;
    context->OppAtLevel[1] = state.Sides.OppStone;
    for (int k = 1; k + 1 < kLevelSlots; ++k) {
      context->SideAtLevel[k + 1] = OppositeStone[context->SideAtLevel[k]];
      context->OppAtLevel[k + 1] = OppositeStone[context->OppAtLevel[k]];
    }
    context->LevelTally[0] = 0;
  }

  TPosition& Root() { return state.Search.Levels[1]; }

  TEngineState state;
  TThreatLists lists;
  std::unique_ptr<TMoveContext> context;
};

}  // namespace zarvo::testing
