// Reading and writing only regular files: what stands in their place is reported and left alone.
// A pipe here always has a reader or writer held open by the test, so a regression shows as
// bytes that went through it instead of a test that hangs.
#include "base/regular_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "tests/test_support.h"

namespace zarvo {
namespace {

namespace fs = std::filesystem;
using testing::TTempDir;

// Both ends of a pipe made in dir, held by the test; closed with it.
class THeldPipe {
 public:
  explicit THeldPipe(const fs::path& path) {
    EXPECT_EQ(::mkfifo(path.c_str(), 0644), 0);
    handle_ = ::open(path.c_str(), O_RDWR | O_NONBLOCK);
    EXPECT_GE(handle_, 0);
  }
  ~THeldPipe() { ::close(handle_); }
  THeldPipe(const THeldPipe&) = delete;
  THeldPipe& operator=(const THeldPipe&) = delete;

  // What was written into the pipe.
  std::string Drain() const {
    std::string text;
    char chunk[256];
    for (ssize_t got; (got = ::read(handle_, chunk, sizeof chunk)) > 0;) text.append(chunk, got);
    return text;
  }

 private:
  int handle_ = -1;
};

TEST(RegularFile, ReadsWholeFilesUpToTheLimit) {
  TTempDir dir;
  dir.Write("five", "12345");
  dir.Write("empty", "");
  const struct {
    const char* Name;
    std::size_t Limit;
    TFileStatus Status;
    const char* Bytes;
  } cases[] = {
      {"five", 5, TFileStatus::Done, "12345"},       {"five", 4, TFileStatus::TooLarge, ""},
      {"empty", 0, TFileStatus::Done, ""},           {"missing", 9, TFileStatus::Missing, ""},
      {".", 9, TFileStatus::NotRegular, ""},         {"/dev/zero", 9, TFileStatus::NotRegular, ""},
      {"/dev/null", 9, TFileStatus::NotRegular, ""},
  };
  for (const auto& c : cases) {
    std::string bytes = "left over";
    const fs::path path = fs::path(c.Name).is_absolute() ? fs::path(c.Name) : dir / c.Name;
    EXPECT_EQ(ReadRegularFile(path, c.Limit, bytes), c.Status) << c.Name << " " << c.Limit;
    EXPECT_EQ(bytes, c.Bytes) << c.Name;
  }
}

// Files that say they are empty and are not (those of /proc) are read to their end, and still
// within the limit.
TEST(RegularFile, ReadsPastASizeOfZero) {
  std::string bytes;
  ASSERT_EQ(ReadRegularFile("/proc/self/status", 1 << 20, bytes), TFileStatus::Done);
  EXPECT_NE(bytes.find("Name:"), std::string::npos);
  EXPECT_EQ(ReadRegularFile("/proc/self/status", 10, bytes), TFileStatus::TooLarge);
}

TEST(RegularFile, ReadsNothingFromAPipe) {
  TTempDir dir;
  const THeldPipe pipe(dir / "pipe");
  std::string bytes;
  EXPECT_EQ(ReadRegularFile(dir / "pipe", 9, bytes), TFileStatus::NotRegular);
  TRegularFileStream stream(dir / "pipe");
  EXPECT_EQ(stream.Status(), TFileStatus::NotRegular);
  EXPECT_FALSE(stream.IsOpen());
  EXPECT_EQ(stream.get(), EOF);
}

TEST(RegularFile, StreamsARegularFileAndLinksToOne) {
  TTempDir dir;
  dir.Write("board", "x\r\no");
  fs::create_symlink(dir / "board", dir / "link");
  for (const char* name : {"board", "link"}) {
    TRegularFileStream stream(dir / name);
    ASSERT_TRUE(stream.IsOpen()) << name;
    std::string text(std::istreambuf_iterator<char>(stream), {});
    EXPECT_EQ(text, "x\r\no");
    EXPECT_FALSE(stream.ReadFailed());
  }
  EXPECT_EQ(TRegularFileStream(dir / "none").Status(), TFileStatus::Missing);
  EXPECT_EQ(TRegularFileStream(dir.Path()).Status(), TFileStatus::NotRegular);
}

TEST(RegularFile, ReplacesOrCreatesOnlyRegularFiles) {
  TTempDir dir;
  dir.Write("old", "a longer text");
  EXPECT_EQ(WriteRegularFile(dir / "old", "9,9\r\n", TCreate::Never), TFileStatus::Done);
  EXPECT_EQ(dir.Read("old"), "9,9\r\n");

  EXPECT_EQ(WriteRegularFile(dir / "new", "1", TCreate::Never), TFileStatus::Missing);
  EXPECT_FALSE(dir.Exists("new"));
  EXPECT_EQ(WriteRegularFile(dir / "new", "1", TCreate::IfMissing), TFileStatus::Done);
  EXPECT_EQ(dir.Read("new"), "1");

  // A link that leads nowhere makes no file where it points.
  fs::create_symlink(dir / "target", dir / "dangling");
  EXPECT_EQ(WriteRegularFile(dir / "dangling", "1", TCreate::IfMissing), TFileStatus::NotRegular);
  EXPECT_FALSE(dir.Exists("target"));

  fs::create_directory(dir / "folder");
  EXPECT_EQ(WriteRegularFile(dir / "folder", "1", TCreate::IfMissing), TFileStatus::NotRegular);
  fs::create_symlink("/dev/null", dir / "device");
  EXPECT_EQ(WriteRegularFile(dir / "device", "1", TCreate::IfMissing), TFileStatus::NotRegular);
}

TEST(RegularFile, WritesNothingIntoAPipe) {
  TTempDir dir;
  const THeldPipe pipe(dir / "pipe");
  EXPECT_EQ(WriteRegularFile(dir / "pipe", "9,9\r\n", TCreate::IfMissing), TFileStatus::NotRegular);
  EXPECT_EQ(pipe.Drain(), "");
}

}  // namespace
}  // namespace zarvo
