// Zarvo2 in working directories that fight back: files it cannot write, folders, pipes and
// endless devices where files should be, books it cannot use, boards with no move left. Whatever
// happens it must end normally and quickly, answer a legal square whenever it can write one,
// and leave everything but its own files ("Tah.dat", "DiDeRoLose.zrv") as it found them.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "board/position.h"
#include "driver/move_files.h"
#include "tests/run_process.h"
#include "tests/test_support.h"

namespace zarvo {
namespace {

namespace fs = std::filesystem;
using testing::BoardText;
using testing::ParseAnswer;
using testing::TTempDir;

// The engine is started as "engine/Zarvo2.x" from the working directory, so it looks for its
// books as "engine/Zarvo2.ob1" and ".ob2" there: inside the directory under test.
constexpr const char* kProgram = "engine/Zarvo2.x";
constexpr const char* kBooks[] = {"engine/Zarvo2.ob1", "engine/Zarvo2.ob2"};

// The engine as "engine/Zarvo2.x" in dir. For a run as another user it is a copy that anyone may
// start: the build tree can lie in a folder only its owner may enter (a checkout under /root).
void PlaceEngine(const TTempDir& dir, bool forOtherUser) {
  constexpr fs::perms kEnterable = fs::perms::owner_all | fs::perms::group_read |
                                   fs::perms::group_exec | fs::perms::others_read |
                                   fs::perms::others_exec;
  fs::create_directory(dir / "engine");
  if (!forOtherUser) {
    fs::create_symlink(ZARVO2_EXE, dir / kProgram);
    return;
  }
  fs::copy_file(ZARVO2_EXE, dir / kProgram);
  for (const fs::path& path : {dir.Path(), dir / "engine", dir / kProgram})
    fs::permissions(path, kEnterable, fs::perm_options::replace);
}

// Starts the engine as a manager does, in dir with no arguments. asOtherUser: when run as root,
// the engine runs as "nobody", so that permission bits hold for it as they would for a manager.
testing::TRun RunEngine(const fs::path& dir, bool asOtherUser) {
  // Far more than any move of these positions takes, sanitizers included.
  return testing::RunProcess({.Program = kProgram,
                              .WorkDir = dir,
                              .TimeLimit = std::chrono::seconds(30),
                              .AsOtherUser = asOtherUser});
}

// Everything under dir, symlinks not followed: kind, mode, size, modification time and, for
// regular files, the content. Pipes and devices are never opened.
std::map<std::string, std::string> Listing(const fs::path& dir) {
  std::map<std::string, std::string> listing;
  for (auto it = fs::recursive_directory_iterator(dir); it != fs::recursive_directory_iterator();
       ++it) {
    struct stat info {};
    if (::lstat(it->path().c_str(), &info) != 0) continue;
    std::ostringstream entry;
    entry << "mode " << std::oct << info.st_mode << std::dec << " size " << info.st_size
          << " mtime " << info.st_mtim.tv_sec << "." << info.st_mtim.tv_nsec;
    if (S_ISREG(info.st_mode)) {
      std::ifstream in(it->path(), std::ios::binary);
      entry << " content " << in.rdbuf();
    } else if (S_ISLNK(info.st_mode)) {
      entry << " -> " << fs::read_symlink(it->path()).string();
    }
    listing[fs::relative(it->path(), dir).string()] = entry.str();
  }
  return listing;
}

enum class TExpect {
  LegalAnswer,  // one line naming an empty square of the board as the engine reads it
  AnyOnBoard,   // one line naming a square of the board (no empty square is left)
  NoAnswer,     // "Tah.dat" stays exactly as it was
};

struct TFaultCase {
  const char* Name;
  std::function<void(const TTempDir&)> Arrange;  // changes the standard directory
  TExpect Expect;
  bool NeedsPermissions = false;  // only a run without root's rights can show it
};

// A middle-game position of 5 stones, o to move, within the book's reach.
const std::string kQuietBoard =
    BoardText({{9, 9, 'x'}, {10, 9, 'x'}, {8, 10, 'x'}, {10, 10, 'o'}, {9, 10, 'o'}});
// x has two fives to make, o none: o has lost. 13 stones, so the loss marker is written.
const std::string kLostBoard = BoardText({{0, 0, 'x'},
                                          {1, 0, 'x'},
                                          {2, 0, 'x'},
                                          {3, 0, 'x'},
                                          {0, 5, 'x'},
                                          {0, 6, 'x'},
                                          {0, 7, 'x'},
                                          {0, 8, 'x'},
                                          {10, 10, 'o'},
                                          {11, 11, 'o'},
                                          {12, 12, 'o'},
                                          {13, 10, 'o'},
                                          {15, 15, 'o'}});

std::string FullBoard() {
  std::string text;
  for (int y = 0; y < kBoardSize; ++y) {
    for (int x = 0; x < kBoardSize; ++x) text += ((x / 2 + y) % 2 == 0) ? 'x' : 'o';
    text += "\r\n";
  }
  return text;
}

std::string JunkBytes(int count) {
  std::string bytes;
  for (int i = 0; i < count; ++i) bytes.push_back(static_cast<char>((i * 151 + 7) & 0xFF));
  return bytes;
}

void MakeFifo(const TTempDir& dir, const std::string& name) {
  fs::remove_all(dir / name);
  ASSERT_EQ(::mkfifo((dir / name).c_str(), 0644), 0) << name;
}

void MakeEndless(const TTempDir& dir, const std::string& name) {
  fs::remove_all(dir / name);
  fs::create_symlink("/dev/zero", dir / name);
}

void MakeDirectory(const TTempDir& dir, const std::string& name) {
  fs::remove_all(dir / name);
  fs::create_directory(dir / name);
}

void Chmod(const fs::path& path, fs::perms perms) {
  fs::permissions(path, perms, fs::perm_options::replace);
}

constexpr fs::perms kReadOnly =
    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
constexpr fs::perms kReadWriteAll =
    kReadOnly | fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
constexpr fs::perms kReadOnlyFolder =
    kReadOnly | fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;

const TFaultCase kFaultCases[] = {
    // "Tah.dat" cannot be written.
    {"MoveFileReadOnly", [](const TTempDir& d) { Chmod(d / "Tah.dat", kReadOnly); },
     TExpect::NoAnswer, true},
    {"FolderReadOnly",  // the move file itself stays writable, so the answer goes in
     [](const TTempDir& d) { Chmod(d.Path(), kReadOnlyFolder); }, TExpect::LegalAnswer, true},
    {"FolderAndMoveFileReadOnly",
     [](const TTempDir& d) {
       Chmod(d / "Tah.dat", kReadOnly);
       Chmod(d.Path(), kReadOnlyFolder);
     },
     TExpect::NoAnswer, true},
    // Exchange files that are not files.
    {"MoveFileIsAFolder", [](const TTempDir& d) { MakeDirectory(d, "Tah.dat"); },
     TExpect::NoAnswer},
    {"BoardFileIsAFolder", [](const TTempDir& d) { MakeDirectory(d, "Plocha.dat"); },
     TExpect::NoAnswer},
    {"MoveFileIsAPipe", [](const TTempDir& d) { MakeFifo(d, "Tah.dat"); }, TExpect::NoAnswer},
    {"BoardFileIsAPipe", [](const TTempDir& d) { MakeFifo(d, "Plocha.dat"); }, TExpect::NoAnswer},
    {"BoardFileIsEndless", [](const TTempDir& d) { MakeEndless(d, "Plocha.dat"); },
     TExpect::NoAnswer},
    // Without usable time limits the engine takes an hour: a board its first-stone rules answer.
    {"TimeFileIsAPipe",
     [](const TTempDir& d) {
       d.Write("Plocha.dat", BoardText({{9, 9, 'x'}}));
       MakeFifo(d, "TimeOuts.dat");
     },
     TExpect::LegalAnswer},
    {"TimeFileIsEndless",
     [](const TTempDir& d) {
       d.Write("Plocha.dat", BoardText({{9, 9, 'x'}}));
       MakeEndless(d, "TimeOuts.dat");
     },
     TExpect::LegalAnswer},
    // Books the engine cannot use: it plays without them.
    {"BooksUnreadable",
     [](const TTempDir& d) {
       for (const char* book : kBooks) Chmod(d / book, fs::perms::none);
     },
     TExpect::LegalAnswer, true},
    {"BooksAreFolders",
     [](const TTempDir& d) {
       for (const char* book : kBooks) MakeDirectory(d, book);
     },
     TExpect::LegalAnswer},
    {"BooksAreJunk",
     [](const TTempDir& d) {
       for (const char* book : kBooks) d.Write(book, JunkBytes(5000));
     },
     TExpect::LegalAnswer},
    {"BooksArePipes",
     [](const TTempDir& d) {
       for (const char* book : kBooks) MakeFifo(d, book);
     },
     TExpect::LegalAnswer},
    {"BooksAreEndless",
     [](const TTempDir& d) {
       for (const char* book : kBooks) MakeEndless(d, book);
     },
     TExpect::LegalAnswer},
    // A lost position, where the loss marker is to be written.
    {"LostMarkerIsAFolder",
     [](const TTempDir& d) {
       d.Write("Plocha.dat", kLostBoard);
       MakeDirectory(d, "DiDeRoLose.zrv");
     },
     TExpect::LegalAnswer},
    {"LostMarkerInReadOnlyFolder",
     [](const TTempDir& d) {
       d.Write("Plocha.dat", kLostBoard);
       Chmod(d.Path(), kReadOnlyFolder);
     },
     TExpect::LegalAnswer, true},
    {"LostMarkerIsAPipe",  // a manager listening on it may never come
     [](const TTempDir& d) {
       d.Write("Plocha.dat", kLostBoard);
       MakeFifo(d, "DiDeRoLose.zrv");
     },
     TExpect::LegalAnswer},
    {"LostStateIsAPipe",
     [](const TTempDir& d) {
       d.Write("Plocha.dat", kLostBoard);
       MakeFifo(d, "DiDeRo.zrv");
     },
     TExpect::LegalAnswer},
    // Boards with no normal move.
    {"FullBoard", [](const TTempDir& d) { d.Write("Plocha.dat", FullBoard()); },
     TExpect::AnyOnBoard},
    {"FiveAlreadyOnTheBoard",
     [](const TTempDir& d) {
       d.Write("Tah.dat", "o");
       d.Write("Plocha.dat", BoardText({{3, 3, 'x'},
                                        {4, 4, 'x'},
                                        {5, 5, 'x'},
                                        {6, 6, 'x'},
                                        {7, 7, 'x'},
                                        {10, 3, 'o'},
                                        {11, 3, 'o'},
                                        {12, 3, 'o'},
                                        {13, 3, 'o'}}));
     },
     TExpect::LegalAnswer},
    // Junk in every input file at once, and every input file empty.
    {"JunkEverywhere",
     [](const TTempDir& d) {
       d.Write("Tah.dat", JunkBytes(300));
       d.Write("Plocha.dat", JunkBytes(3000));
       d.Write("TimeOuts.dat", JunkBytes(100));
       d.Write("DiDeRo.zrv", JunkBytes(3));
       for (const char* book : kBooks) d.Write(book, JunkBytes(777));
     },
     TExpect::LegalAnswer},
    {"EverythingEmpty",
     [](const TTempDir& d) {
       for (const char* name : {"Tah.dat", "Plocha.dat", "TimeOuts.dat", "DiDeRo.zrv"})
         d.Write(name, "");
       for (const char* book : kBooks) d.Write(book, "");
     },
     TExpect::LegalAnswer},
};

void PrintTo(const TFaultCase& c, std::ostream* out) {
  *out << c.Name;
}

class Zarvo2Faults : public ::testing::TestWithParam<TFaultCase> {};

TEST_P(Zarvo2Faults, EndsNormallyAndTouchesOnlyItsOwnFiles) {
  const TFaultCase& c = GetParam();
  TTempDir dir;
  // 1. The standard directory: a position to play, a 300 ms budget, books and a loss state.
  dir.Write("Tah.dat", "o");
  Chmod(dir / "Tah.dat", kReadWriteAll);  // also for an engine started as another user
  dir.Write("Plocha.dat", kQuietBoard);
  dir.Write("TimeOuts.dat", "10\r\n900\r\n");
  dir.Write("DiDeRo.zrv", std::string("\x01\0\0\0", 4));
  PlaceEngine(dir, c.NeedsPermissions);
  for (const char* book : kBooks) dir.Write(book, std::string("\0\0\0\0", 4));
  // 2. The fault.
  c.Arrange(dir);
  auto before = Listing(dir.Path());

  // 3. The run.
  const testing::TRun run = RunEngine(dir.Path(), c.NeedsPermissions);
  if (run.Exited && run.Status == testing::kCannotDropRoot) {
    GTEST_SKIP() << "running as root, and the engine cannot be started as another user, so "
                    "permission bits cannot be tested here";
  }
  if (c.NeedsPermissions && ::geteuid() == 0 && run.Exited && run.Status == testing::kCannotExec) {
    GTEST_SKIP() << "running as root, and \"nobody\" cannot reach " << dir.Path()
                 << " (the temp folder) to start the engine, so permission bits cannot be "
                    "tested here";
  }
  ASSERT_FALSE(run.TimedOut) << "the engine did not end within 30 s";
  ASSERT_TRUE(run.Exited) << "killed by signal " << run.Signal;
  ASSERT_NE(run.Status, testing::kCannotExec) << "the engine could not be started";
  EXPECT_EQ(run.Status, 0);

  // 4. The answer.
  const bool answerMayChange = c.Expect != TExpect::NoAnswer;
  if (answerMayChange) {
    const std::string written = dir.Read("Tah.dat");
    const auto answer = ParseAnswer(written);
    ASSERT_TRUE(answer) << "'" << written << "'";
    ASSERT_TRUE(OnBoard(answer->first, answer->second)) << written;
    if (c.Expect == TExpect::LegalAnswer) {
      std::istringstream boardFile(dir.Read("Plocha.dat"));
      const TBoardText board = ReadBoardText(boardFile);
      const auto [x, y] = *answer;
      const bool occupied = y < board.RowCount && x < static_cast<int>(board.Rows[y].size()) &&
                            (board.Rows[y][x] == 'x' || board.Rows[y][x] == 'o');
      EXPECT_FALSE(occupied) << "answer " << written << " is an occupied square";
    }
  }

  // 5. Nothing but the engine's own files changed.
  auto after = Listing(dir.Path());
  for (auto* listing : {&before, &after}) {
    listing->erase("DiDeRoLose.zrv");
    if (answerMayChange) listing->erase("Tah.dat");
  }
  EXPECT_EQ(before, after);
}

INSTANTIATE_TEST_SUITE_P(Table, Zarvo2Faults, ::testing::ValuesIn(kFaultCases),
                         [](const auto& info) { return std::string(info.param.Name); });

// The loss marker is written where it can be: the lost position of the table, in a plain
// directory, gets its four bytes (the clamped state value 1).
TEST(Zarvo2Faults, LostPositionWritesTheMarker) {
  TTempDir dir;
  dir.Write("Tah.dat", "o");
  dir.Write("Plocha.dat", kLostBoard);
  dir.Write("TimeOuts.dat", "10\r\n900\r\n");
  dir.Write("DiDeRo.zrv", std::string("\x01\0\0\0", 4));
  PlaceEngine(dir, false);
  const testing::TRun run = RunEngine(dir.Path(), false);
  ASSERT_TRUE(run.Exited && run.Status == 0);
  EXPECT_EQ(dir.Read("DiDeRoLose.zrv"), std::string("\x01\0\0\0", 4));
  EXPECT_TRUE(ParseAnswer(dir.Read("Tah.dat")));
}

// "Tah.dat" turned into a pipe while the engine thinks (the deep search thinks its whole budget):
// the answer is not written into it, and the engine still ends.
TEST(Zarvo2Faults, MoveFileTurnedIntoAPipeWhileThinking) {
  TTempDir dir;
  dir.Write("Tah.dat", "o");
  dir.Write("Plocha.dat", kQuietBoard);
  dir.Write("TimeOuts.dat", "10\r\n900\r\n");
  PlaceEngine(dir, false);
  std::thread swap([&dir] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0644), 0);
    fs::rename(dir / "pipe", dir / "Tah.dat");
  });
  const testing::TRun run = testing::RunProcess({.Program = kProgram,
                                                 .WorkDir = dir.Path(),
                                                 .Environment = {{"ZARVO_SEARCH", "deep"}},
                                                 .TimeLimit = std::chrono::seconds(30)});
  swap.join();
  EXPECT_FALSE(run.TimedOut) << "the engine did not end within 30 s";
  EXPECT_TRUE(run.Exited && run.Status == 0);
  EXPECT_EQ(fs::symlink_status(dir / "Tah.dat").type(), fs::file_type::fifo);
}

}  // namespace
}  // namespace zarvo
