#include "driver/loss_marker.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <optional>

#include "driver/engine.h"
#include "tests/test_support.h"

namespace zarvo {
namespace {

using testing::TTempDir;

constexpr const char* kState = "DiDeRo.zrv";
constexpr const char* kMarker = "DiDeRoLose.zrv";

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int v : values) bytes.push_back(static_cast<char>(v));
  return bytes;
}

TEngineState StateIn(const TTempDir& dir, int32_t stoneCount) {
  TEngineState state;
  state.WorkDir = dir.Path();
  state.StoneCount = stoneCount;
  return state;
}

TEST(RecordLoss, CopiesTheClampedStateValueWhenTheStoneCountIsOdd) {
  struct Case {
    const char* Name;
    int32_t StoneCount;
    std::optional<std::string> StateFile;  // nullopt: no such file
    std::optional<std::string> OldMarker;  // a marker already there
    std::optional<std::string> Marker;     // nullopt: no marker afterwards
  } const cases[] = {
      {"no state file", 1, std::nullopt, std::nullopt, Bytes({0, 0, 0, 0})},
      {"7 clamps to 2", 3, Bytes({7, 0, 0, 0}), std::nullopt, Bytes({2, 0, 0, 0})},
      {"-3 clamps to 0", 5, Bytes({0xFD, 0xFF, 0xFF, 0xFF}), std::nullopt, Bytes({0, 0, 0, 0})},
      {"one byte 01", 7, Bytes({1}), std::nullopt, Bytes({1, 0, 0, 0})},
      {"empty state file", 9, "", std::nullopt, Bytes({0, 0, 0, 0})},
      {"high byte counts: 256", 1, Bytes({0, 1, 0, 0}), std::nullopt, Bytes({2, 0, 0, 0})},
      {"sign bit: INT32_MIN", 1, Bytes({0, 0, 0, 0x80}), std::nullopt, Bytes({0, 0, 0, 0})},
      {"only four bytes read", 1, Bytes({1, 0, 0, 0, 0xFF}), std::nullopt, Bytes({1, 0, 0, 0})},
      {"old marker replaced", 1, Bytes({2, 0, 0, 0}), "longer old marker", Bytes({2, 0, 0, 0})},
      {"even count: no marker", 2, Bytes({1, 0, 0, 0}), std::nullopt, std::nullopt},
      {"even count: old marker kept", 40, Bytes({1, 0, 0, 0}), "old", "old"},
      {"no stones", 0, std::nullopt, std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    TTempDir dir;
    if (c.StateFile) dir.Write(kState, *c.StateFile);
    if (c.OldMarker) dir.Write(kMarker, *c.OldMarker);
    RecordLoss(StateIn(dir, c.StoneCount));
    ASSERT_EQ(dir.Exists(kMarker), c.Marker.has_value()) << c.Name;
    if (c.Marker) {
      EXPECT_EQ(dir.Read(kMarker), *c.Marker) << c.Name;
    }
    if (c.StateFile) {
      EXPECT_EQ(dir.Read(kState), *c.StateFile) << c.Name;  // only read
    }
  }
}

TEST(RecordLoss, FileErrorsAreSwallowed) {
  {  // the state file is a directory: it cannot be read, so the value is 0
    TTempDir dir;
    std::filesystem::create_directory(dir / kState);
    RecordLoss(StateIn(dir, 1));
    EXPECT_EQ(dir.Read(kMarker), Bytes({0, 0, 0, 0}));
  }
  {  // the state file is a pipe nobody writes to: not waited for, the value is 0
    TTempDir dir;
    ASSERT_EQ(::mkfifo((dir / kState).c_str(), 0600), 0);
    RecordLoss(StateIn(dir, 1));
    EXPECT_EQ(dir.Read(kMarker), Bytes({0, 0, 0, 0}));
  }
  {  // the marker is a directory: it cannot be replaced and stays as it is
    TTempDir dir;
    dir.Write(kState, Bytes({1, 0, 0, 0}));
    std::filesystem::create_directory(dir / kMarker);
    RecordLoss(StateIn(dir, 1));
    EXPECT_TRUE(std::filesystem::is_directory(dir / kMarker));
  }
  {  // the working directory is read-only (root may still write; either way nothing escapes)
    TTempDir dir;
    dir.Write(kState, Bytes({1, 0, 0, 0}));
    std::filesystem::permissions(
        dir.Path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    RecordLoss(StateIn(dir, 1));
    if (dir.Exists(kMarker)) {
      EXPECT_EQ(dir.Read(kMarker), Bytes({1, 0, 0, 0}));
    }
  }
  {  // the working directory does not exist: nothing is created
    TTempDir dir;
    TEngineState state = StateIn(dir, 1);
    state.WorkDir = dir / "missing";
    RecordLoss(state);
    EXPECT_FALSE(dir.Exists("missing"));
  }
}

// Move selection only reports the lost game; the one-move interface of the front ends leaves the
// marker, as Zarvo2 does.
TEST(RecordLoss, PlayPositionLeavesTheMarkerOfALostGameOnly) {
  struct Case {
    const char* Rows;  // rows 5 and 12 of the board, "|" between them
    bool Lost;
  } const cases[] = {
      {".....oooo...........|............xx.x....", true},   // two five-squares of o
      {"....xooo............|............xx.x....", false},  // nothing decided
  };
  for (const Case& c : cases) {
    TTempDir dir;
    TBoardText board;
    board.RowCount = kBoardSize;
    for (auto& row : board.Rows) row = std::string(kBoardSize, '.');
    const std::string rows = c.Rows;
    board.Rows[5] = rows.substr(0, kBoardSize);
    board.Rows[12] = rows.substr(kBoardSize + 1);
    TEngineState state;
    state.WorkDir = dir.Path();
    TEngineOptions options;
    options.ProgramPath = "/nonexistent/zarvo-test";  // no book
    options.Seed = 1;
    options.MaxDepth = 1;
    PlayPosition(state, kStoneX, board, options);
    EXPECT_EQ(state.GameLost, c.Lost) << c.Rows;
    EXPECT_EQ(dir.Exists(kMarker), c.Lost) << c.Rows;
  }
}

}  // namespace
}  // namespace zarvo
