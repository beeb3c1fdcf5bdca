// Any bytes as a file the zarvo tool is given; the first byte chooses its kind: a game record,
// an openings file, a bench suite, a book text or a match's result file. Each is written to a file
// and read back by the tool's reader, then parsed as the command parses it. What a parser accepts
// must hold together: a record prints to a text that reads back the same, openings and suites name
// squares of the board once each, a book built from the text is read back whole by the engine's
// book reader, and a match result prints to a text that reads back the same and merges with itself.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>

#include "book/book_builder.h"
#include "book/opennings.h"
#include "fuzz/fuzz_check.h"
#include "match/game_record.h"
#include "match/openings.h"
#include "match/run_merge.h"
#include "match/run_result.h"
#include "zarvo/bench_suite.h"
#include "zarvo/book_text.h"
#include "zarvo/input_file.h"

namespace {

using namespace zarvo;

void CheckRecord(const std::string& text) {
  std::istringstream in(text);
  std::string error;
  const auto record = match::ParseRecord(in, error);
  if (!record) {
    FUZZ_CHECK(!error.empty(), "a refused record without a reason");
    return;
  }
  const std::string printed = match::RecordText(*record);
  std::istringstream again(printed);
  const auto reread = match::ParseRecord(again, error);
  FUZZ_CHECK(reread.has_value(), "a record's own text is refused: %s", error.c_str());
  FUZZ_CHECK(match::RecordText(*reread) == printed, "a record reads back otherwise");
}

// The same text as a watcher reads a game in progress: a game it reads is written back as the
// same game, finished or not; a whole record is a finished game.
void CheckGameSoFar(const std::string& text) {
  std::istringstream in(text);
  std::string error;
  bool finished = false;
  const auto game = match::ParseGameSoFar(in, error, finished);
  if (!game) {
    FUZZ_CHECK(!error.empty(), "a refused game without a reason");
    return;
  }
  const std::string printed = finished ? match::RecordText(*game) : match::GameSoFarText(*game);
  std::istringstream again(printed);
  bool againFinished = !finished;
  const auto reread = match::ParseGameSoFar(again, error, againFinished);
  FUZZ_CHECK(reread.has_value() && againFinished == finished, "a game's own text reads otherwise");
  std::istringstream asRecord(text);
  if (match::ParseRecord(asRecord, error))
    FUZZ_CHECK(finished, "a record read as a game so far is not finished");
}

template <typename TSquares>
void CheckSquares(const TSquares& squares, const char* what) {
  std::set<std::pair<int, int>> seen;
  for (const TSquare& square : squares) {
    FUZZ_CHECK(OnBoard(square.X, square.Y), "%s: %d,%d is off the board", what, square.X, square.Y);
    FUZZ_CHECK(seen.insert({square.X, square.Y}).second, "%s: %d,%d twice", what, square.X,
               square.Y);
  }
}

void CheckOpenings(const std::string& text) {
  std::istringstream in(text);
  std::string error;
  const auto openings = match::ParseOpenings(in, error);
  if (!openings) return;
  for (const match::TOpening& opening : *openings) CheckSquares(opening, "opening");
}

void CheckSuite(const std::string& text) {
  std::istringstream in(text);
  std::string error;
  const auto suite = tool::ParseSuite(in, error);
  if (!suite) return;
  for (const tool::TBenchPosition& position : *suite) {
    FUZZ_CHECK(!position.Moves.empty(), "an empty position in a suite");
    CheckSquares(position.Moves, "suite");
  }
}

void CheckBookText(const std::string& text) {
  TBookBuilder builder;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    std::string problem;
    const auto position = tool::ParseBookLine(line, problem);
    if (!problem.empty()) return;  // the command stops at the first wrong line
    if (position && builder.Add(*position)) return;
  }
  for (int parity = 0; parity < 2; ++parity) {
    const std::string bytes = builder.Encode(parity);
    const TBookFile file =
        ReadBookBytes(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    FUZZ_CHECK(file.Status == TBookLoadStatus::Complete && file.TrailingBytes == 0,
               "a built book does not read back whole");
    FUZZ_CHECK(static_cast<int32_t>(file.Entries.size()) == builder.EntryCount(parity),
               "a built book holds %zu entries, not %d", file.Entries.size(),
               builder.EntryCount(parity));
  }
}

// The text of a run as zarvo match writes it.
std::string RunText(const match::TRunResult& run) {
  std::string text = match::RunHeaderText(run.Match, run.ShardIndex, run.ShardCount);
  for (const match::TGameResult& game : run.Games) {
    match::TGameRecord record;
    record.Number = game.Number;
    record.Outcome = game.Outcome;
    record.Reason = game.Reason;
    text += match::GameResultLine(record, game.Engines);
  }
  if (run.End) text += match::RunEndLine(*run.End);
  return text;
}

void CheckRunResult(const std::string& text) {
  std::istringstream in(text);
  std::string error;
  const auto run = match::ParseRunResult(in, error);
  if (!run) {
    FUZZ_CHECK(!error.empty(), "a refused result without a reason");
    return;
  }
  const std::string printed = RunText(*run);
  std::istringstream again(printed);
  const auto reread = match::ParseRunResult(again, error);
  FUZZ_CHECK(reread.has_value(), "a result's own text is refused: %s", error.c_str());
  FUZZ_CHECK(RunText(*reread) == printed, "a result reads back otherwise");
  // A run merged with itself: every game once, each of them there twice, the rest missing.
  const auto merged = match::MergeRuns({*run, *run}, error);
  FUZZ_CHECK(merged.has_value(), "a run is of another match than itself: %s", error.c_str());
  FUZZ_CHECK(
      merged->Result.Games.size() == run->Games.size() &&
          merged->Duplicated.size() == run->Games.size() &&
          merged->Missing.size() + run->Games.size() == static_cast<std::size_t>(run->Match.Games),
      "a run merged with itself counts %zu games", merged->Result.Games.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

  // 1. Through a file and the tool's reader, as a command gets it.
  const std::filesystem::path path = fuzzing::ScratchDir() / "input";
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  std::ostringstream err;
  const auto text = tool::ReadInput(path, tool::kGameRecordInput, "fuzz", err);
  FUZZ_CHECK(text && *text == bytes, "the reader changed the file: %s", err.str().c_str());

  // 2. Parsed as its kind.
  switch (data[0] % 5) {
    case 0:
      CheckRecord(*text);
      CheckGameSoFar(*text);
      break;
    case 1:
      CheckOpenings(*text);
      break;
    case 2:
      CheckSuite(*text);
      break;
    case 3:
      CheckBookText(*text);
      break;
    case 4:
      CheckRunResult(*text);
      break;
  }
  return 0;
}
