// The web board's requests, apart from HTTP: an action's name and its form fields in, a status
// and a JSON body out. Every field is checked here, so whatever a browser (or anything else)
// sends is either a request the session judges or a 400 that says which field is wrong.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "serve/game_session.h"

namespace zarvo::serve {

// Form fields by name, as an HTTP library hands them over (a name may come twice; the first
// counts).
using TFields = std::multimap<std::string, std::string>;

struct TResponse {
  int Status = 200;
  std::string Body;  // JSON: the game's state, or {"error":..., "stale":..., "state":...}
};

// The actions: new (board, rule, colour, time), move (game, stones, x, y), undo, resign, hint
// (game, stones), analyse and play-from (game, stones, at), load (record).
TResponse HandleAction(TGameSession& session, std::string_view action, const TFields& fields);

// The error body for a refusal, with the game's state so the page can show the board as it is.
std::string RefusalJson(const TRefusal& refusal, const TGameSession& session);

}  // namespace zarvo::serve
