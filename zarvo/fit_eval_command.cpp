// zarvo fit-eval: the deep evaluation's weights fitted to the results of recorded games.
#include <algorithm>
#include <filesystem>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

#include "tune/eval_fit.h"
#include "zarvo/commands.h"
#include "zarvo/record_file.h"
#include "zarvo/text_args.h"

namespace zarvo::tool {
namespace {

constexpr std::string_view kFitEvalUsage =
    "usage: zarvo fit-eval RECORD...\n"
    "\n"
    "Reads game records (files, or folders of them as 'zarvo match --records' writes them: every\n"
    "'.txt' file inside, in subfolders too, in name order; the pictures and other files beside\n"
    "them are passed over) and fits the deep search's evaluation weights to the games' results\n"
    "by logistic regression: every position the search would evaluate is a sample, with the\n"
    "result for the side to move. Each game is read on its own board and rule, as its record\n"
    "says (a record without them: 20 x 20 freestyle). Every fifth game is held out to measure the\n"
    "current and the fitted weights; the fitted ones are printed as the source of kEvalWeights\n"
    "(deep/evaluation.h), in the current ones' scale. Games that did not end on the board (a\n"
    "forfeit) are left out.\n"
    "\n"
    "exit status: 0 done, 1 a record unreadable or no position to fit, 2 bad usage\n";

// The record files under a folder, in every subfolder, in path order so that the held-out games
// are repeatable.
std::vector<std::filesystem::path> RecordFilesIn(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  std::error_code error;
  for (auto entry = std::filesystem::recursive_directory_iterator(folder, error);
       !error && entry != std::filesystem::recursive_directory_iterator(); entry.increment(error)) {
    if (entry->is_regular_file(error) && IsRecordFileName(entry->path()))
      files.push_back(entry->path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

void PrintArray(std::ostream& out, const char* name,
                const std::array<int, deep::kPattern4Count>& values) {
  out << "    ." << name << " = {";
  for (std::size_t i = 0; i < values.size(); ++i) out << (i ? ", " : "") << values[i];
  out << "},\n";
}

}  // namespace

int RunFitEval(TArgs args, std::ostream& out, std::ostream& err) {
  std::vector<std::filesystem::path> inputs;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--help" || arg == "-h") {
      out << kFitEvalUsage;
      return 0;
    }
    if (arg == "--board" || arg == "--exact-five") {
      err << "zarvo fit-eval: " << arg
          << " is not needed: every record says its board and rule (add 'Board: N' or 'Rule: "
             "exactly five' before the opening of a record that does not)\n";
      return 2;
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

  // A file named is read whatever its name; a folder gives its record files.
  std::vector<std::filesystem::path> files;
  for (const auto& input : inputs) {
    std::error_code error;
    if (std::filesystem::is_directory(input, error)) {
      const std::vector<std::filesystem::path> inside = RecordFilesIn(input);
      files.insert(files.end(), inside.begin(), inside.end());
    } else {
      files.push_back(input);
    }
  }

  // One record at a time; only its positions are kept, packed.
  std::vector<tune::TPackedSample> train, test;
  int games = 0, leftOut = 0;
  for (const auto& file : files) {
    const auto record = ReadRecordFile(file, "fit-eval", err);
    if (!record) return 1;
    const std::vector<tune::TEvalSample> samples = tune::SamplesOf(*record);
    if (samples.empty()) {
      ++leftOut;
      continue;
    }
    auto& into = games++ % 5 == 4 ? test : train;
    for (const tune::TEvalSample& sample : samples) into.push_back(tune::Pack(sample));
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
