// zarvo openings: a suite of openings the deep search judges close to even, in the format
// zarvo match --openings reads.
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "match/balanced_openings.h"
#include "match/game_rules.h"
#include "zarvo/commands.h"
#include "zarvo/text_args.h"

namespace zarvo::tool {
namespace {

using namespace zarvo::match;

constexpr std::string_view kOpeningsUsage =
    "usage: zarvo openings [options]\n"
    "\n"
    "Draws random openings near the centre and keeps those the deep search judges close to\n"
    "even: a search at a fixed depth scores them within the band with no forced win, and in\n"
    "quick self-play games between fixed depths (each ordered pair of different depths) both\n"
    "x and o win at least once. Prints them one a line for zarvo match --openings, after a\n"
    "comment header saying how they were made; a progress line per candidate on stderr. The\n"
    "same options give the same openings.\n"
    "\n"
    "options:\n"
    "  --seed N            seed of the random openings (default 1)\n"
    "  --candidates N      random openings to judge (default 600)\n"
    "  --min-stones N      fewest stones of an opening, 1 to 8 (default 3)\n"
    "  --max-stones N      most stones of an opening, 1 to 8 (default 5)\n"
    "  --radius N          stones within N squares of the centre, 1 to 9 (default 3)\n"
    "  --depth N           the judging search's depth, 1 to 20 (default 8)\n"
    "  --band N            the most |score| kept, x's point of view, 0 to 5000 (default 300;\n"
    "                      a tempo is worth about 520)\n"
    "  --play-depths A,B[,...]\n"
    "                      the self-play games' depths, 1 to 20, at least two different\n"
    "                      (default 5,7)\n"
    "  --out FILE          write the openings to FILE instead of standard output\n"
    "  --help              show this text\n"
    "\n"
    "exit status: 0 done, 1 the output could not be written, 2 bad usage\n";

struct TOpeningsArgs {
  bool Help = false;
  TBalancedSettings Settings;
  std::string Out;
};

// "A,B[,...]": depths 1 to 20, at least two of them different.
std::optional<std::vector<int>> ParseDepths(std::string_view text) {
  std::vector<int> depths;
  for (;;) {
    const std::size_t comma = text.find(',');
    const auto depth = ParseNumber(text.substr(0, comma));
    if (!depth || *depth < 1 || *depth > 20) return std::nullopt;
    depths.push_back(static_cast<int>(*depth));
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  for (const int depth : depths)
    if (depth != depths.front()) return depths;
  return std::nullopt;
}

std::optional<std::string> ParseArgs(TArgs args, TOpeningsArgs& parsed) {
  TBalancedSettings& settings = parsed.Settings;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--help" || arg == "-h") {
      parsed.Help = true;
      continue;
    }
    const bool text = arg == "--out" || arg == "--play-depths";
    const bool number = arg == "--seed" || arg == "--candidates" || arg == "--min-stones" ||
                        arg == "--max-stones" || arg == "--radius" || arg == "--depth" ||
                        arg == "--band";
    if (!text && !number) return "unknown option '" + std::string(arg) + "'";
    if (i + 1 >= args.size()) return std::string(arg) + " needs a value";
    const std::string_view value = args[++i];
    if (arg == "--out") {
      if (value.empty()) return "--out needs a file";
      parsed.Out = value;
    }
    if (arg == "--play-depths") {
      const auto depths = ParseDepths(value);
      if (!depths)
        return "--play-depths takes depths 1 to 20 separated by commas, at least two "
               "different, not '" +
               std::string(value) + "'";
      settings.PlayDepths = *depths;
    }
    if (!number) continue;
    // At most eight stones: x then has four, never five, and the centre's area holds them.
    const int64_t least = arg == "--seed" || arg == "--band" ? 0 : 1;
    const int64_t most = arg == "--seed"         ? 4294967295
                         : arg == "--candidates" ? 1000000
                         : arg == "--band"       ? 5000
                         : arg == "--depth"      ? 20
                         : arg == "--radius"     ? 9
                                                 : 8;
    const auto n = ParseNumber(value);
    if (!n || *n < least || *n > most)
      return std::string(arg) + " takes a whole number from " + std::to_string(least) + " to " +
             std::to_string(most) + ", not '" + std::string(value) + "'";
    if (arg == "--seed") settings.Seed = static_cast<uint32_t>(*n);
    if (arg == "--candidates") settings.Candidates = static_cast<int>(*n);
    if (arg == "--min-stones") settings.MinStones = static_cast<int>(*n);
    if (arg == "--max-stones") settings.MaxStones = static_cast<int>(*n);
    if (arg == "--radius") settings.Radius = static_cast<int>(*n);
    if (arg == "--depth") settings.JudgeDepth = static_cast<int>(*n);
    if (arg == "--band") settings.Band = static_cast<int>(*n);
  }
  if (settings.MinStones > settings.MaxStones)
    return "--min-stones (" + std::to_string(settings.MinStones) + ") is above --max-stones (" +
           std::to_string(settings.MaxStones) + ")";
  return std::nullopt;
}

std::string OpeningText(const TOpening& stones) {
  std::string text;
  for (const TSquare& stone : stones)
    text.append(text.empty() ? "" : " ").append(SquareText(stone));
  return text;
}

const char* VerdictText(TCandidateReport::TVerdict verdict) {
  switch (verdict) {
    case TCandidateReport::Duplicate:
      return "seen before";
    case TCandidateReport::Forced:
      return "decided";
    case TCandidateReport::OutOfBand:
      return "out of the band";
    case TCandidateReport::OneSided:
      return "one colour won every game";
    case TCandidateReport::Kept:
      return "kept";
  }
  return "";
}

}  // namespace

int RunOpenings(TArgs args, std::ostream& out, std::ostream& err) {
  TOpeningsArgs parsed;
  if (const auto error = ParseArgs(args, parsed)) {
    err << "zarvo openings: " << *error << " (see 'zarvo openings --help')\n";
    return 2;
  }
  if (parsed.Help) {
    out << kOpeningsUsage;
    return 0;
  }
  const TBalancedSettings& settings = parsed.Settings;
  // Opened before the work, so that a wrong path does not cost the whole generation.
  std::ofstream file;
  if (!parsed.Out.empty()) {
    file.open(parsed.Out, std::ios::binary | std::ios::trunc);
    if (!file) {
      err << "zarvo openings: cannot write '" << parsed.Out << "'\n";
      return 1;
    }
  }

  int keptSoFar = 0;
  const auto progress = [&](const TCandidateReport& report) {
    keptSoFar += report.Verdict == TCandidateReport::Kept;
    err << "candidate " << report.Index << "/" << settings.Candidates << " "
        << OpeningText(*report.Stones) << ": ";
    if (report.Verdict != TCandidateReport::Duplicate) err << "score " << report.Score << ", ";
    if (report.Verdict >= TCandidateReport::OneSided)
      err << "x " << report.XWins << " o " << report.OWins << " draws " << report.Draws << ", ";
    err << VerdictText(report.Verdict) << " (" << keptSoFar << " kept)\n";
  };
  const std::vector<TBalancedOpening> kept = GenerateBalancedOpenings(settings, progress);

  std::ostringstream text;
  text << "# Openings the deep search judges close to even, made by:\n# zarvo openings";
  for (const std::string_view arg : args) text << ' ' << arg;
  text << "\n# seed " << settings.Seed << ": " << settings.Candidates << " random openings of "
       << settings.MinStones << " to " << settings.MaxStones << " stones within " << settings.Radius
       << " of the centre;\n# kept when the search at depth " << settings.JudgeDepth
       << " finds no forced win and |score| <= " << settings.Band
       << " for x, and\n# both colours win self-play games between depths";
  for (std::size_t k = 0; k < settings.PlayDepths.size(); ++k)
    text << (k ? "," : " ") << settings.PlayDepths[k];
  text << ".\n# " << kept.size() << " openings; after each, its score for x and the self-play "
       << "wins of x and o.\n";
  for (const TBalancedOpening& opening : kept)
    text << OpeningText(opening.Stones) << "  # " << opening.Score << " x" << opening.XWins << " o"
         << opening.OWins << '\n';

  std::ostream& sink = parsed.Out.empty() ? out : file;
  sink << text.str();
  sink.flush();
  if (!sink) {
    err << "zarvo openings: cannot write '" << (parsed.Out.empty() ? "standard output" : parsed.Out)
        << "'\n";
    return 1;
  }
  err << kept.size() << " of " << settings.Candidates << " openings kept\n";
  return 0;
}

}  // namespace zarvo::tool
