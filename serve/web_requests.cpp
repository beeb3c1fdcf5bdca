#include "serve/web_requests.h"

#include <optional>

#include "base/decimal_text.h"
#include "serve/json_text.h"

namespace zarvo::serve {
namespace {

// A field that is missing or no number in range: the 400 it gets.
struct TBadField {
  std::string Message;
};

const std::string* Field(const TFields& fields, const std::string& name) {
  const auto found = fields.find(name);
  return found == fields.end() ? nullptr : &found->second;
}

std::optional<int64_t> Number(const TFields& fields, const std::string& name, int64_t low,
                              int64_t high, std::optional<TBadField>& bad) {
  const std::string* text = Field(fields, name);
  if (!text) {
    if (!bad) bad = TBadField{"The request lacks the field '" + name + "'."};
    return std::nullopt;
  }
  const auto value = ParseDecimalIn(*text, low, high);
  if (!value && !bad)
    bad = TBadField{"The field '" + name + "' takes a whole number from " + std::to_string(low) +
                    " to " + std::to_string(high) + "."};
  return value;
}

// Coordinates far off any board still reach the session, which says they are off it.
constexpr int64_t kFarOff = 1'000'000;

TClientView ViewOf(const TFields& fields, std::optional<TBadField>& bad) {
  TClientView view;
  view.GameId = static_cast<uint64_t>(Number(fields, "game", 0, INT64_MAX, bad).value_or(0));
  view.Stones = static_cast<int>(Number(fields, "stones", 0, 400, bad).value_or(0));
  return view;
}

TReply Apply(TGameSession& session, std::string_view action, const TFields& fields,
             std::optional<TBadField>& bad) {
  if (action == "new") {
    TGameSettings settings;
    settings.BoardSize =
        static_cast<int>(Number(fields, "board", kSmallestBoard, kBoardSize, bad).value_or(0));
    settings.MoveTimeMs = Number(fields, "time", 1, 3'600'000, bad).value_or(0);
    const std::string* colour = Field(fields, "colour");
    const std::string* rule = Field(fields, "rule");
    if (!bad && (!colour || (*colour != "x" && *colour != "o")))
      bad = TBadField{"The field 'colour' takes x or o."};
    if (!bad && (!rule || (*rule != "freestyle" && *rule != "exactly-five")))
      bad = TBadField{"The field 'rule' takes freestyle or exactly-five."};
    if (bad) return std::nullopt;
    settings.HumanColour = (*colour)[0];
    settings.ExactlyFive = *rule == "exactly-five";
    return session.NewGame(settings);
  }
  if (action == "load") {
    const std::string* record = Field(fields, "record");
    if (!record) {
      bad = TBadField{"The request lacks the field 'record'."};
      return std::nullopt;
    }
    return session.LoadRecord(*record);
  }
  const TClientView view = ViewOf(fields, bad);
  if (action == "move") {
    const auto x = Number(fields, "x", -kFarOff, kFarOff, bad);
    const auto y = Number(fields, "y", -kFarOff, kFarOff, bad);
    if (bad) return std::nullopt;
    return session.Place(view, {static_cast<int32_t>(*x), static_cast<int32_t>(*y)});
  }
  if (action == "analyse" || action == "play-from") {
    const auto at = Number(fields, "at", 0, 400, bad);
    if (bad) return std::nullopt;
    return action == "analyse" ? session.Analyse(view, static_cast<int>(*at))
                               : session.PlayFrom(view, static_cast<int>(*at));
  }
  if (bad) return std::nullopt;
  if (action == "undo") return session.TakeBack(view);
  if (action == "resign") return session.Resign(view);
  return session.AskHint(view);
}

bool Known(std::string_view action) {
  for (const std::string_view known :
       {"new", "load", "move", "analyse", "play-from", "undo", "resign", "hint"})
    if (action == known) return true;
  return false;
}

}  // namespace

std::string RefusalJson(const TRefusal& refusal, const TGameSession& session) {
  return "{\"error\":" + JsonString(refusal.Message) +
         ",\"stale\":" + (refusal.Stale ? "true" : "false") + ",\"state\":" + session.StateJson() +
         "}";
}

TResponse HandleAction(TGameSession& session, std::string_view action, const TFields& fields) {
  if (!Known(action))
    return {404,
            RefusalJson({404, "There is no request '" + std::string(action.substr(0, 40)) + "'."},
                        session)};
  std::optional<TBadField> bad;
  const TReply reply = Apply(session, action, fields, bad);
  if (bad) return {400, RefusalJson({400, bad->Message}, session)};
  if (reply) return {reply->Status, RefusalJson(*reply, session)};
  return {200, session.StateJson()};
}

}  // namespace zarvo::serve
