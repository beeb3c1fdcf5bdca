// Files the programs read and write are used only when they are regular files (or links to one).
// Each is opened without blocking and checked on the open handle, so a pipe of that name cannot
// stall a move, a device like /dev/zero cannot feed it endless bytes, and a file swapped for one
// between a check and the open is still caught.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <istream>
#include <streambuf>
#include <string>
#include <string_view>

namespace zarvo {

enum class TFileStatus : uint8_t {
  Done,        // read or written
  Missing,     // nothing of that name
  NotRegular,  // a folder, pipe, device or socket, or a link to none of them
  TooLarge,    // longer than the reader takes
  Failed,      // no permission, an I/O error
};

// The reason as the tools print it after a file name: "not a regular file" and so on.
std::string_view DescribeFileStatus(TFileStatus status);

// Reads from an open file handle; the handle is closed with it.
class TFileHandleBuffer final : public std::streambuf {
 public:
  TFileHandleBuffer() = default;
  ~TFileHandleBuffer() override;
  TFileHandleBuffer(const TFileHandleBuffer&) = delete;
  TFileHandleBuffer& operator=(const TFileHandleBuffer&) = delete;

  void Adopt(int handle) { handle_ = handle; }
  bool ReadFailed() const { return readFailed_; }

 protected:
  int_type underflow() override;

 private:
  int handle_ = -1;
  bool readFailed_ = false;
  std::array<char, 4096> bytes_{};
};

// An input stream over a regular file. Anything else leaves it empty and failed at once, with
// Status() saying why; nothing of it is read.
class TRegularFileStream final : public std::istream {
 public:
  explicit TRegularFileStream(const std::filesystem::path& path);

  bool IsOpen() const { return status_ == TFileStatus::Done; }
  TFileStatus Status() const { return status_; }
  // A read error, not the end of the file, ended the input.
  bool ReadFailed() const { return buffer_.ReadFailed(); }

 private:
  TFileHandleBuffer buffer_;
  TFileStatus status_ = TFileStatus::Failed;
};

// The whole of a regular file, when it holds at most maxBytes; bytes is left empty otherwise.
// Throws std::bad_alloc when the memory for it cannot be had.
TFileStatus ReadRegularFile(const std::filesystem::path& path, std::size_t maxBytes,
                            std::string& bytes);

enum class TCreate : uint8_t {
  Never,      // only an existing regular file is replaced
  IfMissing,  // a file is made when nothing has the name; never through a link
};

// Replaces the contents of the regular file at path with bytes. Never opens anything else for
// writing and never blocks: a folder, pipe or device of that name is left alone (NotRegular).
TFileStatus WriteRegularFile(const std::filesystem::path& path, std::string_view bytes,
                             TCreate create);

}  // namespace zarvo
