// Any bytes as a script of web board requests, one a line: "ACTION FIELDS" with FIELDS as a form
// body (name=value&...; "$game" and "$stones" stand for the game's id and stone count, so a
// request may fit the game), "record TEXT" with "\n" for line ends, or "engine X Y KIND" for the
// engine's answer to the job it was given. Whatever comes, the board holds only distinct stones
// on it, and every answer is JSON-shaped.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "serve/game_session.h"
#include "serve/web_requests.h"

namespace {

using namespace zarvo;
using namespace zarvo::serve;

std::string Substituted(std::string text, const TGameSession& session) {
  for (const auto& [name, value] :
       {std::pair<std::string_view, std::string>{"$game", std::to_string(session.GameId())},
        {"$stones", std::to_string(session.Stones().size())}}) {
    for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name, at))
      text.replace(at, name.size(), value);
  }
  return text;
}

TFields FormFields(std::string_view body) {
  TFields fields;
  while (!body.empty()) {
    const std::size_t end = body.find('&');
    const std::string_view pair = body.substr(0, end);
    const std::size_t equals = pair.find('=');
    fields.emplace(std::string(pair.substr(0, equals)), equals == std::string_view::npos
                                                            ? std::string()
                                                            : std::string(pair.substr(equals + 1)));
    if (end == std::string_view::npos) break;
    body.remove_prefix(end + 1);
  }
  return fields;
}

void EngineAnswer(TGameSession& session, std::string_view words) {
  const auto job = session.TakeJob();
  if (!job) return;
  int numbers[3] = {0, 0, 0};
  int n = 0;
  for (const char c : words) {
    if (c == ' ') {
      if (++n == 3) break;
    } else if (c >= '0' && c <= '9' && numbers[n] < 100000) {
      numbers[n] = numbers[n] * 10 + (c - '0');
    }
  }
  TJobResult result;
  result.Answer.Kind = static_cast<match::TAnswerKind>(numbers[2] % 8);
  // Squares a little beyond every edge too.
  result.Answer.Square = {numbers[0] % 24 - 2, numbers[1] % 24 - 2};
  session.JobFinished(job->Id, result);
}

void CheckBoard(const TGameSession& session) {
  const auto& stones = session.Stones();
  for (std::size_t i = 0; i < stones.size(); ++i) {
    FUZZ_CHECK(OnBoard(stones[i].X, stones[i].Y), "stone %zu at %d,%d is off the board", i,
               stones[i].X, stones[i].Y);
    for (std::size_t j = 0; j < i; ++j)
      FUZZ_CHECK(!(stones[i] == stones[j]), "stones %zu and %zu share %d,%d", j, i, stones[i].X,
                 stones[i].Y);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view script(reinterpret_cast<const char*>(data), size);
  TGameSession session({}, "engine", 1000);
  while (!script.empty()) {
    const std::size_t end = script.find('\n');
    const std::string_view line = script.substr(0, end);
    script.remove_prefix(end == std::string_view::npos ? script.size() : end + 1);
    const std::size_t blank = line.find(' ');
    const std::string_view action = line.substr(0, blank);
    const std::string_view rest = blank == std::string_view::npos ? "" : line.substr(blank + 1);
    if (action == "engine") {
      EngineAnswer(session, rest);
    } else {
      TFields fields;
      if (action == "record") {
        std::string text(rest);
        for (std::size_t at = text.find("\\n"); at != std::string::npos; at = text.find("\\n", at))
          text.replace(at, 2, "\n");
        fields.emplace("record", text);
      } else {
        fields = FormFields(Substituted(std::string(rest), session));
      }
      const TResponse response =
          HandleAction(session, action == "record" ? "load" : action, fields);
      FUZZ_CHECK(response.Status == 200 || response.Status == 400 || response.Status == 404 ||
                     response.Status == 409,
                 "status %d", response.Status);
      FUZZ_CHECK(response.Body.starts_with('{') && response.Body.ends_with('}'), "body %s",
                 response.Body.c_str());
    }
    CheckBoard(session);
  }
  return 0;
}
