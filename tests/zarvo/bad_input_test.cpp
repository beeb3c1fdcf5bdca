// Every command that reads a file, given a pipe, an endless device or a folder in its place:
// each ends at once with status 1 and names the file it refused. A pipe that nobody writes is
// the case that used to hang, so every run has a time limit.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/run_process.h"
#include "tests/test_support.h"

namespace zarvo {
namespace {

namespace fs = std::filesystem;
using testing::TTempDir;

enum class TBadKind { Pipe, Endless, Folder };

const char* NameOf(TBadKind kind) {
  return kind == TBadKind::Pipe ? "a pipe" : kind == TBadKind::Endless ? "/dev/zero" : "a folder";
}

void MakeBad(const fs::path& path, TBadKind kind) {
  fs::remove_all(path);
  if (kind == TBadKind::Pipe) {
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
  }
  if (kind == TBadKind::Endless) fs::create_symlink("/dev/zero", path);
  if (kind == TBadKind::Folder) fs::create_directory(path);
}

struct TCommandCase {
  const char* Command;  // BAD stands for the bad file, DIR for a working folder
  const char* Bad;      // the bad file, relative to the test's folder
  bool FolderIsInput =
      false;  // a folder is a valid input here (fit-eval reads one as a set of records)
};

const TCommandCase kCommands[] = {
    {"eval DIR", "work/Plocha.dat"},
    {"eval DIR", "work/Tah.dat"},
    {"analyse DIR --time 100", "work/Plocha.dat"},
    {"book probe DIR", "work/Plocha.dat"},
    {"show BAD", "bad"},
    {"match --replay BAD", "bad"},
    {"match --openings BAD file:a file:b", "bad"},
    {"bench --suite BAD", "bad"},
    {"fit-eval BAD", "bad", true},
    {"book build --out B BAD", "bad"},
    {"book dump BAD", "bad"},
};

TEST(BadInput, EveryCommandRefusesPipesDevicesAndFoldersAtOnce) {
  for (const TCommandCase& c : kCommands) {
    for (const TBadKind kind : {TBadKind::Pipe, TBadKind::Endless, TBadKind::Folder}) {
      if (kind == TBadKind::Folder && c.FolderIsInput) continue;
      TTempDir dir;
      fs::create_directory(dir / "work");
      dir.Write("work/Tah.dat", "o");
      dir.Write("work/Plocha.dat", testing::BoardText({{9, 9, 'x'}}));
      MakeBad(dir / c.Bad, kind);
      std::string line = c.Command;
      for (const auto& [word, path] : {std::pair{"BAD", dir / "bad"}, {"DIR", dir / "work"}})
        if (const auto at = line.find(word); at != std::string::npos)
          line.replace(at, 3, path.string());
      SCOPED_TRACE(std::string(c.Command) + " with " + c.Bad + " " + NameOf(kind));

      const testing::TRun run = testing::RunProcess({.Program = ZARVO_TOOL_EXE,
                                                     .Args = testing::ArgumentWords(line),
                                                     .WorkDir = dir.Path(),
                                                     .TimeLimit = std::chrono::seconds(20)});
      ASSERT_FALSE(run.TimedOut) << "zarvo did not end within 20 s";
      EXPECT_EQ(run.Status, 1) << run.Err;
      EXPECT_NE(run.Err.find((dir / c.Bad).string()), std::string::npos) << run.Err;
      EXPECT_EQ(run.Err.find('\n'), run.Err.size() - 1) << "one line: " << run.Err;
      EXPECT_FALSE(dir.Exists("B.ob1")) << "no book written";
    }
  }
}

// An output folder that cannot be made is a failure (1), as any output not written is; bad usage
// (2) is for what the command line itself gets wrong.
TEST(BadInput, OutputFolderThatCannotBeMadeIsAFailure) {
  for (const char* option : {"--records", "--svg"}) {
    const testing::TRun run = testing::RunProcess(
        {.Program = ZARVO_TOOL_EXE, .Args = {"match", option, "/proc/x", "file:a", "file:b"}});
    EXPECT_EQ(run.Status, 1) << option;
    EXPECT_NE(run.Err.find("cannot make '/proc/x'"), std::string::npos) << run.Err;
  }
}

// Too little memory for an input is a failure with a message, not an early end of the input: a
// book text of one 40 MB line under a 30 MB address space used to give two empty books and 0.
TEST(BadInput, TooLittleMemoryIsAFailure) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer needs far more address space than the limit";
#else
  TTempDir dir;
  dir.Write("big.txt", std::string(40'000'000, 'x'));
  const testing::TRun run =
      testing::RunProcess({.Program = "/bin/sh",
                           .Args = {"-c", std::string("ulimit -v 30000 && exec ") + ZARVO_TOOL_EXE +
                                              " book build --out B big.txt"},
                           .WorkDir = dir.Path(),
                           .TimeLimit = std::chrono::seconds(20)});
  EXPECT_EQ(run.Status, 1) << run.Out << run.Err;
  EXPECT_EQ(run.Err, "zarvo: out of memory\n");
  EXPECT_FALSE(dir.Exists("B.ob1"));
#endif
}

}  // namespace
}  // namespace zarvo
