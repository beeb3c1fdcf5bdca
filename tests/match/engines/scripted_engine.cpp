// A small engine for the match runner's tests, speaking either protocol. What it does is read
// from the name it is started under, "<protocol>-<behaviour>" (the tests make symlinks):
//   protocol   file (one move per run, exchange files) or pipe (stdin/stdout lines)
//   behaviour  legal    a pseudo-random empty square near the stones
//              line     the square that makes its longest line (wins against legal)
//              draw     only squares of its own colour in a pattern without five in a row
//              slow     legal, but 150 ms past its time
//              chatty   legal, with MESSAGE (naming the INFO rule it was told) and DEBUG lines
//                       before each answer (pipe)
//              nostart  answers START with ERROR (pipe)
//   and, once it has two stones of its own on the board:
//              occupied, offboard, garbage, crash, hang, silent (ends without an answer),
//              error, unknown (answers ERROR or UNKNOWN instead of a move)
// An argument, if given, is the behaviour instead of the name's, so the runner's passing of
// arguments shows in how the engine plays.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

namespace {

constexpr int kSize = 20;
using TBoard = std::array<std::string, kSize>;  // line Y, character X: 'x', 'o' or '.'

// The colour of a square in the draw pattern: runs of at most two along every line.
char PatternColour(int x, int y) {
  return (x + 2 * y) % 4 < 2 ? 'x' : 'o';
}

int RunThrough(const TBoard& board, int x, int y, char colour) {
  static constexpr int dx[4] = {0, 1, 1, -1}, dy[4] = {1, 0, 1, 1};
  int best = 0;
  for (int d = 0; d < 4; ++d) {
    int run = 1;
    for (int sign : {-1, 1})
      for (int k = 1; k < 5; ++k) {
        const int nx = x + sign * k * dx[d], ny = y + sign * k * dy[d];
        if (nx < 0 || ny < 0 || nx >= kSize || ny >= kSize || board[ny][nx] != colour) break;
        ++run;
      }
    best = std::max(best, run);
  }
  return best;
}

std::string Choose(const TBoard& board, char own, const std::string& behaviour) {
  int ownStones = 0, stones = 0;
  unsigned hash = 2166136261u;
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      ownStones += board[y][x] == own;
      stones += board[y][x] != '.';
      hash = (hash ^ static_cast<unsigned char>(board[y][x])) * 16777619u;
    }
  if (ownStones >= 2) {
    if (behaviour == "occupied")
      for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
          if (board[y][x] != '.') return std::to_string(x) + "," + std::to_string(y);
    if (behaviour == "offboard") return "20,5";
    if (behaviour == "garbage") return "hello there";
    if (behaviour == "crash") std::abort();
    if (behaviour == "hang")
      for (;;) ::pause();
    if (behaviour == "silent") std::exit(0);
    if (behaviour == "error") return "ERROR lost my way";
    if (behaviour == "unknown") return "UNKNOWN what is that";
  }
  // The best empty square by the behaviour's measure; ties go to the hash's pick.
  int bestScore = -1, bestX = -1, bestY = -1;
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      if (board[y][x] != '.') continue;
      int score = static_cast<int>((hash ^ (static_cast<unsigned>(x * 31 + y) * 2654435761u)) % 97);
      if (behaviour == "line") score += 1000 * RunThrough(board, x, y, own);
      if (behaviour == "draw" && PatternColour(x, y) == own) score += 100000;
      // Near the middle, so games stay where the stones are.
      score -= 5 * (std::abs(x - 9) + std::abs(y - 9));
      if (score > bestScore) bestScore = score, bestX = x, bestY = y;
    }
  (void)stones;
  return std::to_string(bestX) + "," + std::to_string(bestY);
}

void SleepMs(long ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

int RunFile(const std::string& behaviour) {
  std::ifstream side("Tah.dat");
  const char own = static_cast<char>(side.get());
  side.close();
  TBoard board;
  std::ifstream boardFile("Plocha.dat");
  for (auto& row : board) {
    std::getline(boardFile, row);
    row.resize(kSize, '.');
    for (char& c : row)
      if (c != 'x' && c != 'o') c = '.';
  }
  long limit = 0, amount = 0;
  std::ifstream("TimeOuts.dat") >> limit >> amount;
  const std::string answer = Choose(board, own, behaviour);
  if (behaviour == "slow") SleepMs(std::min(limit * 1000, amount / 3) + 150);
  std::ofstream("Tah.dat", std::ios::binary | std::ios::trunc) << answer << "\r\n";
  return 0;
}

int RunPipe(const std::string& behaviour) {
  TBoard board;
  const auto clear = [&] {
    for (auto& row : board) row.assign(kSize, '.');
  };
  clear();
  long turnMs = 1000;
  long rule = 0;  // as INFO rule told it
  // Own stones are 'a', the opponent's 'b', until the colour is known from the counts.
  const auto answer = [&] {
    int own = 0, opp = 0;
    for (const auto& row : board)
      for (char c : row) own += c == 'a', opp += c == 'b';
    const char colour = own == opp ? 'x' : 'o';
    TBoard coloured = board;
    for (auto& row : coloured)
      for (char& c : row) c = c == 'a' ? colour : c == 'b' ? (colour == 'x' ? 'o' : 'x') : '.';
    if (behaviour == "chatty")
      std::cout << "MESSAGE thinking hard under rule " << rule << "\nDEBUG depth 1\n" << std::flush;
    const std::string move = Choose(coloured, colour, behaviour);
    if (behaviour == "slow") SleepMs(turnMs + 150);
    int x = -1, y = -1;
    if (std::sscanf(move.c_str(), "%d,%d", &x, &y) == 2 && x >= 0 && x < kSize && y >= 0 &&
        y < kSize && board[y][x] == '.')
      board[y][x] = 'a';
    std::cout << move << (behaviour == "chatty" ? "\r\n" : "\n") << std::flush;
  };
  const auto place = [&](const std::string& text, char stone) {
    int x = -1, y = -1;
    if (std::sscanf(text.c_str(), "%d,%d", &x, &y) == 2 && x >= 0 && x < kSize && y >= 0 &&
        y < kSize)
      board[y][x] = stone;
  };
  std::string line;
  while (std::getline(std::cin, line)) {
    std::istringstream words(line);
    std::string command, argument;
    words >> command >> argument;
    if (command == "START") {
      std::cout << (behaviour == "nostart" ? "ERROR no thanks" : "OK") << "\n" << std::flush;
    } else if (command == "RESTART") {
      clear();
      std::cout << "OK\n" << std::flush;
    } else if (command == "INFO") {
      long value = 0;
      words >> value;
      if (argument == "timeout_turn") turnMs = value;
      if (argument == "rule") rule = value;
    } else if (command == "BEGIN") {
      answer();
    } else if (command == "TURN") {
      place(argument, 'b');
      answer();
    } else if (command == "BOARD") {
      clear();
      while (std::getline(std::cin, line) && line.rfind("DONE", 0) != 0) {
        int x = -1, y = -1, field = 0;
        if (std::sscanf(line.c_str(), "%d,%d,%d", &x, &y, &field) == 3 && x >= 0 && x < kSize &&
            y >= 0 && y < kSize)
          board[y][x] = field == 1 ? 'a' : 'b';
      }
      answer();
    } else if (command == "END") {
      return 0;
    } else {
      std::cout << "UNKNOWN " << line << "\n" << std::flush;
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string name = argv[0];
  name = name.substr(name.find_last_of('/') + 1);
  const auto dash = name.find('-');
  const std::string protocol = name.substr(0, dash);
  const std::string behaviour = argc > 1                    ? argv[1]
                                : dash == std::string::npos ? "legal"
                                                            : name.substr(dash + 1);
  return protocol == "pipe" ? RunPipe(behaviour) : RunFile(behaviour);
}
