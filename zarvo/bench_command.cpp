// zarvo bench: the engine's fixed benchmark, whose total node count is the search's signature.
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "deep/deep_search.h"
#include "driver/engine.h"
#include "match/child_process.h"
#include "match/game_rules.h"
#include "zarvo/bench_suite.h"
#include "zarvo/commands.h"
#include "zarvo/deep_bench.h"
#include "zarvo/depth_profile.h"
#include "zarvo/depth_suite.h"
#include "zarvo/input_file.h"
#include "zarvo/text_args.h"

namespace zarvo::tool {
namespace {

constexpr std::string_view kBenchUsage =
    "usage: zarvo bench [--depth N] [--budget MS] [--seed S] [--suite FILE]\n"
    "       zarvo bench --search deep [--depth N] [--threads T] [--suite FILE]\n"
    "       zarvo bench --search deep --depth-profile [--nodes N] [--depth D] [--cap N]\n"
    "                   [--suite FILE]\n"
    "       zarvo bench --generate GAMES [--depth N] [--seed S]\n"
    "\n"
    "Searches every position of the benchmark suite as a full engine move, with a fixed seed,\n"
    "no opening book and no time limit, and prints per position the answer, the nodes of the\n"
    "threat search, the calls of the continuous-four solver and the time; then the totals and\n"
    "the nodes per second. The total node count is the search's signature: it is the same on\n"
    "every machine and changes only when the search's behaviour changes.\n"
    "\n"
    "  --depth N       search depth 0..9 (default 9, the engine's own)\n"
    "  --budget MS     a time budget per position in milliseconds, as a manager would give it\n"
    "                  (the depth then follows from it unless --depth is given)\n"
    "  --seed S        the random seed of every position (default 1)\n"
    "  --suite FILE    positions to use instead of the built-in suite: one per line, the moves\n"
    "                  of a game as X,Y in play order, x moving first; '#' starts a comment\n"
    "  --generate N    print a suite taken from N games the engine plays against itself\n"
    "  --search deep   the deep search instead (pbrain-zarvo2's default): every position to\n"
    "                  depth N (default 6, at most 40) with a fresh table and no time limit; its "
    "own\n"
    "                  signature (the alpha-beta nodes; the threat solvers' apart), and the\n"
    "                  nodes per second with the evaluation on\n"
    "  --threads T     with --search deep: T threads search each position together (default\n"
    "                  1); the time to the depth and the nodes per second of them all. Only one\n"
    "                  thread gives the signature: with more, the nodes differ from run to run\n"
    "  --depth-profile\n"
    "                  with --search deep: over middle-game positions from matches (their\n"
    "                  own built-in set), the depth finished within --nodes N alpha-beta nodes\n"
    "                  (default 400000) and the nodes depth D takes (--depth, default 10; given\n"
    "                  up at --cap N, default 20000000), per position and their medians\n"
    "\n"
    "  zarvo bench --process ENGINE --budget MS [--load N] [--suite FILE]\n"
    "runs the move-file program ENGINE (for instance build/Zarvo2) once per position as a\n"
    "manager does, in a fresh working directory with a time file giving MS milliseconds, and\n"
    "measures each whole run from outside: start-up, reading, search and writing. It prints the\n"
    "time of each run and its overrun (time minus budget), then the worst overrun and its\n"
    "position. --load N keeps N threads busy meanwhile, as another program on the machine would.\n"
    "\n"
    "exit status: 0 done, 1 the suite file cannot be read or is wrong, 2 bad usage (also an\n"
    "ENGINE that is no executable file)\n";

TBoardText BoardOf(const std::vector<TSquare>& moves) {
  TBoardText board;
  for (auto& row : board.Rows) row.assign(kBoardSize, '.');
  board.RowCount = kBoardSize;
  for (std::size_t k = 0; k < moves.size(); ++k)
    board.Rows[moves[k].Y][moves[k].X] = k % 2 == 0 ? 'x' : 'o';
  return board;
}

uint8_t SideToMove(const std::vector<TSquare>& moves) {
  return moves.size() % 2 == 0 ? kStoneX : kStoneO;
}

// A book base name that can never exist, so no book file changes the signature.
constexpr const char* kNoBook = "/dev/null/no-book";

// A working directory of the benchmark's own, so a lost position's marker file lands nowhere
// that matters; removed with everything in it.
class TScratchDir {
 public:
  TScratchDir() {
    std::error_code error;
    path_ =
        std::filesystem::temp_directory_path(error) / ("zarvo-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(path_, error);
  }
  ~TScratchDir() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  TScratchDir(const TScratchDir&) = delete;
  TScratchDir& operator=(const TScratchDir&) = delete;
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

TEngineOptions BenchOptions(uint32_t seed, std::optional<int64_t> budgetMs,
                            std::optional<int32_t> depth) {
  TEngineOptions options;
  options.ProgramPath = std::string(kNoBook) + ".";
  options.Seed = seed;
  options.BudgetMs = budgetMs.value_or(3'600'000);
  options.MaxDepth = depth;
  if (!budgetMs && !depth) options.MaxDepth = kDefaultMaxDepth;
  return options;
}

// Positions from self-play: every third position of each game from the fourth stone on.
int Generate(int games, uint32_t seed, int32_t depth, std::ostream& out) {
  const TScratchDir workDir;
  out << "# " << games << " self-play games, seed " << seed << ", depth " << depth << "\n";
  for (int game = 0; game < games; ++game) {
    std::vector<TSquare> moves;
    for (int ply = 0; ply < 400; ++ply) {
      if (ply >= 4 && ply % 3 == 1) {
        for (const TSquare& move : moves) out << move.X << ',' << move.Y << ' ';
        out << '\n';
      }
      TEngineState state;
      state.WorkDir = workDir.Path();
      const TBoardText board = BoardOf(moves);
      TEngineOptions options = BenchOptions(seed + 7919u * game + ply, std::nullopt, depth);
      const TSquare move = PlayPosition(state, SideToMove(moves), board, options);
      moves.push_back({move.X, move.Y});
      if (!match::FiveThrough(match::BoardOf(moves, kBoardSize), moves.back()).empty()) break;
    }
  }
  return 0;
}

// Keeps some cores busy until it goes away.
class TBusyLoad {
 public:
  explicit TBusyLoad(int threads) {
    for (int k = 0; k < threads; ++k)
      threads_.emplace_back([this] {
        volatile uint64_t spin = 0;
        while (!stop_.load(std::memory_order_relaxed)) spin = spin + 1;
      });
  }
  ~TBusyLoad() {
    stop_ = true;
    for (std::thread& thread : threads_) thread.join();
  }
  TBusyLoad(const TBusyLoad&) = delete;
  TBusyLoad& operator=(const TBusyLoad&) = delete;

 private:
  std::atomic<bool> stop_{false};
  std::vector<std::thread> threads_;
};

void WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// Every position run by the real program through its files; the budget is checked from outside.
int RunProcesses(const std::vector<TBenchPosition>& suite, const std::filesystem::path& engine,
                 int64_t budgetMs, int load, std::ostream& out, std::ostream& err) {
  const TScratchDir scratch;
  const TBusyLoad busy(load);
  out << "engine " << engine.string() << ", budget " << budgetMs << " ms, " << load
      << " busy threads\n";
  out << std::setw(4) << "#" << std::setw(8) << "stones" << std::setw(8) << "move" << std::setw(10)
      << "ms" << std::setw(10) << "overrun" << '\n';
  double worst = -1e9;
  std::size_t worstPosition = 0;
  double total = 0;
  for (std::size_t k = 0; k < suite.size(); ++k) {
    const std::vector<TSquare>& moves = suite[k].Moves;
    const std::filesystem::path dir = scratch.Path() / std::to_string(k + 1);
    std::filesystem::create_directories(dir);
    WriteFile(dir / "Tah.dat", SideToMove(moves) == kStoneX ? "x\r\n" : "o\r\n");
    std::string board;
    for (const std::string& row : BoardOf(moves).Rows) board += row + "\r\n";
    WriteFile(dir / "Plocha.dat", board);
    // Seconds rounded up and three times the budget: the budget itself is the smaller limit.
    WriteFile(dir / "TimeOuts.dat", std::to_string((budgetMs + 999) / 1000) + "\r\n" +
                                        std::to_string(3 * budgetMs) + "\r\n");

    const auto start = std::chrono::steady_clock::now();
    std::optional<match::TExitStatus> status;
    try {
      match::TChildProcess child = match::TChildProcess::Spawn({engine, {}, dir, false});
      status = child.WaitFor(std::chrono::milliseconds(budgetMs + 60'000));
      if (!status) status = child.Kill();
    } catch (const std::exception& error) {
      err << "zarvo bench: " << error.what() << "\n";
      return 1;
    }
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::ifstream answerFile(dir / "Tah.dat");
    std::string answer;
    std::getline(answerFile, answer);
    if (!answer.empty() && answer.back() == '\r') answer.pop_back();
    const double overrun = ms - static_cast<double>(budgetMs);
    if (overrun > worst) {
      worst = overrun;
      worstPosition = k + 1;
    }
    total += ms;
    out << std::setw(4) << k + 1 << std::setw(8) << moves.size() << std::setw(8) << answer
        << std::setw(10) << std::fixed << std::setprecision(1) << ms << std::setw(10) << overrun
        << (status && (status->Signalled || status->Code != 0) ? "  " + status->Text() : "")
        << '\n';
  }
  out << "\npositions: " << suite.size() << "\nmean time: " << std::fixed << std::setprecision(1)
      << (suite.empty() ? 0.0 : total / static_cast<double>(suite.size()))
      << " ms\nworst overrun: " << worst << " ms at position " << worstPosition << '\n';
  return 0;
}

}  // namespace

int RunBench(TArgs args, std::ostream& out, std::ostream& err) {
  std::optional<int32_t> depth;
  std::optional<int64_t> budgetMs;
  std::optional<int> generate;
  uint32_t seed = 1;
  std::string suitePath;
  std::string process;
  std::string search = "classic";
  int load = 0;
  int threads = 1;
  bool depthProfile = false, profileLimits = false;
  TDepthProfileLimits profile;
  std::vector<std::string_view> given;  // the options named, "--search deep" as one
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--help" || arg == "-h") {
      out << kBenchUsage;
      return 0;
    }
    if (arg == "--depth-profile") {
      depthProfile = true;
      continue;
    }
    const bool takesValue = arg == "--depth" || arg == "--budget" || arg == "--seed" ||
                            arg == "--suite" || arg == "--generate" || arg == "--process" ||
                            arg == "--load" || arg == "--search" || arg == "--nodes" ||
                            arg == "--cap" || arg == "--threads";
    if (!takesValue) {
      err << "zarvo bench: unknown argument '" << arg << "' (see 'zarvo bench --help')\n";
      return 2;
    }
    if (i + 1 >= args.size()) {
      err << "zarvo bench: " << arg << " needs a value\n";
      return 2;
    }
    const std::string_view value = args[++i];
    given.push_back(arg == "--search" && value == "deep" ? "--search deep" : arg);
    if (arg == "--suite" || arg == "--process") {
      (arg == "--suite" ? suitePath : process) = std::string(value);
      continue;
    }
    if (arg == "--search") {
      if (value != "deep" && value != "classic") {
        err << "zarvo bench: --search takes deep or classic, not '" << value << "'\n";
        return 2;
      }
      search = std::string(value);
      continue;
    }
    const auto number = ParseNumber(value);
    if (!number || *number < 0) {
      err << "zarvo bench: " << arg << " takes a whole number, not '" << value << "'\n";
      return 2;
    }
    if (arg == "--depth") depth = static_cast<int32_t>(std::min<int64_t>(*number, INT32_MAX));
    if (arg == "--budget") budgetMs = *number;
    if (arg == "--seed") seed = static_cast<uint32_t>(*number);
    if (arg == "--generate") generate = static_cast<int>(*number);
    if (arg == "--load") load = static_cast<int>(std::min<int64_t>(*number, 64));
    if (arg == "--threads") {
      if (*number < 1 || *number > deep::TDeepSearch::kMaxThreads) {
        err << "zarvo bench: --threads takes 1 to " << deep::TDeepSearch::kMaxThreads << '\n';
        return 2;
      }
      threads = static_cast<int>(*number);
    }
    if (arg == "--nodes" || arg == "--cap") {
      if (*number < 1) {
        err << "zarvo bench: " << arg << " must be at least 1\n";
        return 2;
      }
      (arg == "--nodes" ? profile.BudgetNodes : profile.CapNodes) = *number;
      profileLimits = true;
    }
  }
  if (depthProfile && search != "deep") {
    err << "zarvo bench: --depth-profile goes with --search deep\n";
    return 2;
  }
  if (profileLimits && !depthProfile) {
    err << "zarvo bench: --nodes and --cap go with --depth-profile\n";
    return 2;
  }
  if (!process.empty() && !budgetMs) {
    err << "zarvo bench: --process needs --budget\n";
    return 2;
  }
  if (generate && *generate == 0) {
    err << "zarvo bench: --generate must be at least 1\n";
    return 2;
  }
  if (generate && !process.empty()) {
    err << "zarvo bench: --generate and --process exclude each other\n";
    return 2;
  }
  if (threads != 1 && (search != "deep" || depthProfile)) {
    err << "zarvo bench: --threads goes with --search deep (without --depth-profile)\n";
    return 2;
  }
  if (std::find(given.begin(), given.end(), "--load") != given.end() && process.empty()) {
    err << "zarvo bench: --load goes with --process: it loads the machine while the program runs\n";
    return 2;
  }
  // An option the chosen run would ignore is refused with the reason, never silently dropped.
  struct TUnused {
    std::string_view Option, Why;
  };
  const auto refuseUnused = [&](std::string_view run, std::initializer_list<TUnused> unused) {
    for (const TUnused& option : unused)
      if (std::find(given.begin(), given.end(), option.Option) != given.end()) {
        err << "zarvo bench: " << option.Option << " does not go with " << run << ", " << option.Why
            << '\n';
        return true;
      }
    return false;
  };
  bool refused = false;
  if (generate) {
    refused = refuseUnused("--generate",
                           {{"--budget", "whose games are searched to a fixed depth (use --depth)"},
                            {"--suite", "which writes a suite and reads none"},
                            {"--search deep", "which plays the classic search against itself"}});
  } else if (!process.empty()) {
    refused = refuseUnused(
        "--process",
        {{"--depth", "which runs the program as it is: its depth follows from --budget"},
         {"--seed",
          "which runs the program as it is (ZARVO_SEED=N in the environment fixes its "
          "seed)"},
         {"--search deep",
          "which runs the program as it is (ZARVO_SEARCH=deep in the "
          "environment chooses its deep search)"}});
  } else if (search == "deep") {
    refused =
        refuseUnused("--search deep",
                     {{"--budget", "which searches every position to a fixed depth (use --depth)"},
                      {"--seed", "whose search draws no random numbers"}});
  }
  if (refused) return 2;
  // Deeper than a search can go would be cut silently; refused instead.
  const int32_t deepest = search == "deep" ? deep::kMaxSearchDepth : kDefaultMaxDepth;
  if (depth && *depth > deepest) {
    err << "zarvo bench: --depth " << *depth << ": the " << search
        << " search goes at most to depth " << deepest << "\n";
    return 2;
  }
  if (generate) return Generate(*generate, seed, depth.value_or(5), out);

  std::string error;
  std::optional<std::vector<TBenchPosition>> suite;
  if (suitePath.empty()) {
    std::istringstream in{std::string(depthProfile ? kDepthSuite : kBenchSuite)};
    suite = ParseSuite(in, error);
  } else {
    auto text = ReadInput(suitePath, kBenchSuiteInput, "bench", err);
    if (!text) return 1;
    std::istringstream in(std::move(*text));
    suite = ParseSuite(in, error);
  }
  if (!suite) {
    err << "zarvo bench: " << (suitePath.empty() ? "built-in suite" : suitePath) << ": " << error
        << "\n";
    return 1;
  }

  if (search == "deep") {
    std::vector<std::vector<TSquare>> positions;
    for (const TBenchPosition& position : *suite) positions.push_back(position.Moves);
    if (depthProfile) {
      if (depth) profile.Depth = std::max(1, *depth);
      return RunDepthProfile(positions, profile, out);
    }
    return RunDeepBench(positions, depth.value_or(kDeepBenchDepth), out, threads);
  }
  if (!process.empty()) {
    // Checked before anything is printed, so a wrong path gets one line and no table.
    std::error_code fsError;
    const std::filesystem::path engine = std::filesystem::absolute(process, fsError);
    if (fsError || !std::filesystem::is_regular_file(engine, fsError) ||
        ::access(engine.c_str(), X_OK) != 0) {
      err << "zarvo bench: --process '" << process << "' is no executable file\n";
      return 2;
    }
    return RunProcesses(*suite, engine, *budgetMs, load, out, err);
  }

  out << std::setw(4) << "#" << std::setw(8) << "stones" << std::setw(8) << "move" << std::setw(12)
      << "nodes" << std::setw(12) << "solver" << std::setw(10) << "ms" << '\n';
  const TScratchDir workDir;
  uint64_t totalNodes = 0;
  uint64_t totalSolver = 0;
  double totalMs = 0;
  for (std::size_t k = 0; k < suite->size(); ++k) {
    const std::vector<TSquare>& moves = (*suite)[k].Moves;
    TEngineState state;
    state.WorkDir = workDir.Path();
    const auto start = std::chrono::steady_clock::now();
    state.Time.StartTime = start;
    const TSquare move =
        PlayPosition(state, SideToMove(moves), BoardOf(moves), BenchOptions(seed, budgetMs, depth));
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    totalNodes += state.Search.Nodes;
    totalSolver += state.Search.SolverCalls;
    totalMs += ms;
    std::ostringstream square;
    square << int(move.X) << ',' << int(move.Y);
    out << std::setw(4) << k + 1 << std::setw(8) << moves.size() << std::setw(8) << square.str()
        << std::setw(12) << state.Search.Nodes << std::setw(12) << state.Search.SolverCalls
        << std::setw(10) << std::fixed << std::setprecision(1) << ms << '\n';
  }
  out << "\npositions: " << suite->size() << "\nnodes: " << totalNodes
      << "\nsolver calls: " << totalSolver << "\ntime: " << std::fixed << std::setprecision(0)
      << totalMs << " ms\nnodes per second: "
      << static_cast<uint64_t>(totalMs > 0 ? totalNodes / (totalMs / 1000) : 0)
      << "\nBench: " << totalNodes << '\n';
  return 0;
}

}  // namespace zarvo::tool
