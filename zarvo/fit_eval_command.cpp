// zarvo fit-eval: the deep evaluation's weights fitted to the results of recorded games.
#include <algorithm>
#include <filesystem>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

#include "tune/eval_fit.h"
#include "zarvo/commands.h"
#include "zarvo/input_file.h"
#include "zarvo/text_args.h"

namespace zarvo::tool {
namespace {

constexpr std::string_view kFitEvalUsage =
    "usage: zarvo fit-eval [--board N] [--exact-five] RECORD...\n"
    "\n"
    "Reads game records (files, or directories of them, as 'zarvo match --records' writes) and\n"
    "fits the deep search's evaluation weights to the games' results by logistic regression:\n"
    "every position the search would evaluate is a sample, with the result for the side to move.\n"
    "Every fifth game is held out to measure the current and the fitted weights; the fitted\n"
    "ones are printed as the source of kEvalWeights (deep/evaluation.h), in the current ones'\n"
    "scale. Games that did not end on the board (a forfeit) are left out.\n"
    "\n"
    "  --board N      the games' board, N x N, 15 to 20 (default 20)\n"
    "  --exact-five   the games were played to exactly five\n"
    "\n"
    "exit status: 0 done, 1 a record unreadable or no position to fit, 2 bad usage\n";

void PrintArray(std::ostream& out, const char* name,
                const std::array<int, deep::kPattern4Count>& values) {
  out << "    ." << name << " = {";
  for (std::size_t i = 0; i < values.size(); ++i) out << (i ? ", " : "") << values[i];
  out << "},\n";
}

}  // namespace

int RunFitEval(TArgs args, std::ostream& out, std::ostream& err) {
  int boardSize = deep::kMaxBoardSize;
  deep::TRule rule = deep::TRule::Freestyle;
  std::vector<std::filesystem::path> inputs;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--help" || arg == "-h") {
      out << kFitEvalUsage;
      return 0;
    }
    if (arg == "--exact-five") {
      rule = deep::TRule::ExactlyFive;
      continue;
    }
    if (arg == "--board") {
      const auto size = i + 1 < args.size() ? ParseNumber(args[i + 1]) : std::nullopt;
      if (!size || *size < deep::kMinBoardSize || *size > deep::kMaxBoardSize) {
        err << "zarvo fit-eval: --board takes 15 to 20\n";
        return 2;
      }
      boardSize = static_cast<int>(*size);
      ++i;
      continue;
    }
    if (arg.starts_with("-")) {
      err << "zarvo fit-eval: unknown option '" << arg << "' (see 'zarvo fit-eval --help')\n";
      return 2;
    }
    inputs.emplace_back(std::string(arg));
  }
  if (inputs.empty()) {
    err << "zarvo fit-eval: no records given (see 'zarvo fit-eval --help')\n";
    return 2;
  }

  // The record files, each directory's in name order so that the held-out games are repeatable.
  std::vector<std::filesystem::path> files;
  for (const auto& input : inputs) {
    std::error_code error;
    if (std::filesystem::is_directory(input, error)) {
      std::vector<std::filesystem::path> inside;
      for (const auto& entry : std::filesystem::directory_iterator(input, error))
        if (entry.is_regular_file()) inside.push_back(entry.path());
      std::sort(inside.begin(), inside.end());
      files.insert(files.end(), inside.begin(), inside.end());
    } else {
      files.push_back(input);
    }
  }

  std::vector<tune::TEvalSample> train, test;
  int games = 0, leftOut = 0;
  for (const auto& file : files) {
    auto text = ReadInput(file, kGameRecordInput, "fit-eval", err);
    if (!text) return 1;
    std::istringstream in(std::move(*text));
    std::string error;
    const auto record = match::ParseRecord(in, error);
    if (!record) {
      err << "zarvo fit-eval: '" << file.string() << "' is no game record: " << error << '\n';
      return 1;
    }
    const std::vector<tune::TEvalSample> samples = tune::SamplesOf(*record, boardSize, rule);
    if (samples.empty()) {
      ++leftOut;
      continue;
    }
    auto& into = games++ % 5 == 4 ? test : train;
    into.insert(into.end(), samples.begin(), samples.end());
  }
  if (train.empty() || test.empty()) {
    err << "zarvo fit-eval: too few positions to fit (" << games
        << " games with positions; at least 5 are needed)\n";
    return 1;
  }

  const tune::TEvalFit fit = tune::FitEvalWeights(train, test, deep::kEvalWeights);
  out << "games " << games << " (" << leftOut << " left out), positions " << fit.TrainSamples
      << " fitted, " << fit.TestSamples << " held out\n";
  out << std::fixed << std::setprecision(4) << "log loss on the held-out games: a coin "
      << fit.CoinLoss << ", current weights " << fit.CurrentLoss << ", fitted " << fit.FittedLoss
      << '\n';
  out << std::setprecision(0) << "scale " << fit.Scale
      << " (the evaluation that reads as odds of e to 1)\n";
  const deep::TEvalWeights& w = fit.Weights;
  out << "inline constexpr TEvalWeights kEvalWeights = {\n";
  PrintArray(out, "Own", w.Own);
  PrintArray(out, "Opponent", w.Opponent);
  PrintArray(out, "OwnAny", w.OwnAny);
  PrintArray(out, "OpponentAny", w.OpponentAny);
  out << "    .LineValuePercent = " << w.LineValuePercent << ",\n"
      << "    .UnansweredOpenFour = " << w.UnansweredOpenFour << ",\n"
      << "    .Tempo = " << w.Tempo << ",\n};\n";
  return 0;
}

}  // namespace zarvo::tool
