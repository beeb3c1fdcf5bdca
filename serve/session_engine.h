// The thinking behind a web board: the opponent's moves from the built-in deep search or from an
// engine named as for 'zarvo match', hints and analysis always from the built-in search, whose
// iterations are passed on as they finish so the page shows the score and line live.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "driver/deep_engine.h"
#include "match/engine_player.h"
#include "serve/game_session.h"

namespace zarvo::serve {

inline constexpr std::string_view kBuiltInLabel = "built-in deep search";

class TSessionEngine {
 public:
  using TProgress = std::function<void(const TSearchInfo&)>;

  // Without an entry the opponent is the built-in search. Move-file engines work in fresh
  // folders under scratch.
  TSessionEngine(std::optional<match::TEngineEntry> opponent, std::string opponentLabel,
                 std::filesystem::path scratch);

  const std::string& OpponentLabel() const { return opponentLabel_; }

  // Thinks about the job's position; progress gets every finished iteration of the built-in
  // search. An engine that failed is started afresh for the next job.
  TJobResult Run(const TThinkJob& job, const TProgress& progress);

 private:
  TJobResult RunBuiltIn(const TThinkJob& job, const TProgress& progress);
  TJobResult RunOpponent(const TThinkJob& job);

  std::optional<match::TEngineEntry> opponent_;
  std::string opponentLabel_;
  std::filesystem::path scratch_;
  std::unique_ptr<match::TPlayer> player_;
  uint64_t playerGame_ = 0;  // the game the player last started
  TDeepEngine deep_;
  uint64_t deepGame_ = 0;
};

}  // namespace zarvo::serve
