#include "base/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <algorithm>
#include <cerrno>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace zarvo {
namespace {

// The few system calls this file needs, under one name on both systems. Windows has no pipes or
// devices among its files, so it needs no flag against blocking.
#ifdef _WIN32
constexpr int kReadFlags = _O_RDONLY | _O_BINARY;
constexpr int kWriteFlags = _O_WRONLY | _O_BINARY;
constexpr int kCreateFlags = _O_CREAT | _O_EXCL;

int OpenHandle(const std::filesystem::path& path, int flags) {
  return ::_wopen(path.c_str(), flags, _S_IREAD | _S_IWRITE);
}
bool IsRegularHandle(int handle, int64_t& size) {
  struct _stat64 info {};
  if (::_fstat64(handle, &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) return false;
  size = info.st_size;
  return true;
}
int64_t ReadHandle(int handle, char* into, std::size_t count) {
  return ::_read(handle, into, static_cast<unsigned>(std::min<std::size_t>(count, 1 << 30)));
}
int64_t WriteHandle(int handle, const char* from, std::size_t count) {
  return ::_write(handle, from, static_cast<unsigned>(std::min<std::size_t>(count, 1 << 30)));
}
bool EmptyHandle(int handle) {
  return ::_chsize(handle, 0) == 0;
}
int CloseHandle(int handle) {
  return ::_close(handle);
}
#else
// O_NONBLOCK: opening a pipe returns at once instead of waiting for its other end.
constexpr int kReadFlags = O_RDONLY | O_NONBLOCK | O_CLOEXEC;
constexpr int kWriteFlags = O_WRONLY | O_NONBLOCK | O_CLOEXEC;
// O_EXCL: a new file is never made through a dangling link.
constexpr int kCreateFlags = O_CREAT | O_EXCL;

int OpenHandle(const std::filesystem::path& path, int flags) {
  int handle;
  do handle = ::open(path.c_str(), flags, 0666);
  while (handle < 0 && errno == EINTR);
  return handle;
}
bool IsRegularHandle(int handle, int64_t& size) {
  struct stat info {};
  if (::fstat(handle, &info) != 0 || !S_ISREG(info.st_mode)) return false;
  size = info.st_size;
  return true;
}
int64_t ReadHandle(int handle, char* into, std::size_t count) {
  ssize_t got;
  do got = ::read(handle, into, count);
  while (got < 0 && errno == EINTR);
  return got;
}
int64_t WriteHandle(int handle, const char* from, std::size_t count) {
  ssize_t put;
  do put = ::write(handle, from, count);
  while (put < 0 && errno == EINTR);
  return put;
}
bool EmptyHandle(int handle) {
  return ::ftruncate(handle, 0) == 0;
}
int CloseHandle(int handle) {
  return ::close(handle);
}
#endif

// Why an open failed, from what the name holds now (a look that never blocks).
TFileStatus OpenFailure(const std::filesystem::path& path, bool creating) {
  const int openError = errno;
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (status.type() == std::filesystem::file_type::not_found) {
    // A link that leads nowhere: there is a name, but nothing may be made through it.
    return creating && openError == EEXIST ? TFileStatus::NotRegular : TFileStatus::Missing;
  }
  if (error) return TFileStatus::Failed;
  return std::filesystem::is_regular_file(status) ? TFileStatus::Failed : TFileStatus::NotRegular;
}

// A handle on the regular file at path, or -1 with the reason.
int OpenRegular(const std::filesystem::path& path, int flags, TFileStatus& status,
                int64_t* size = nullptr) {
  const int handle = OpenHandle(path, flags);
  if (handle < 0) {
    status = OpenFailure(path, (flags & kCreateFlags) != 0);
    return -1;
  }
  int64_t bytes = 0;
  if (!IsRegularHandle(handle, bytes)) {
    CloseHandle(handle);
    status = TFileStatus::NotRegular;
    return -1;
  }
  if (size) *size = bytes;
  status = TFileStatus::Done;
  return handle;
}

}  // namespace

std::string_view DescribeFileStatus(TFileStatus status) {
  switch (status) {
    case TFileStatus::Done:
      return "done";
    case TFileStatus::Missing:
      return "no such file";
    case TFileStatus::NotRegular:
      return "not a regular file";
    case TFileStatus::TooLarge:
      return "too large";
    case TFileStatus::Failed:
      return "no permission or an I/O error";
  }
  return "unusable";
}

TFileHandleBuffer::~TFileHandleBuffer() {
  if (handle_ >= 0) CloseHandle(handle_);
}

TFileHandleBuffer::int_type TFileHandleBuffer::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  if (handle_ < 0) return traits_type::eof();
  const int64_t got = ReadHandle(handle_, bytes_.data(), bytes_.size());
  if (got <= 0) {
    readFailed_ = readFailed_ || got < 0;
    return traits_type::eof();
  }
  setg(bytes_.data(), bytes_.data(), bytes_.data() + got);
  return traits_type::to_int_type(*gptr());
}

TRegularFileStream::TRegularFileStream(const std::filesystem::path& path) : std::istream(nullptr) {
  rdbuf(&buffer_);
  const int handle = OpenRegular(path, kReadFlags, status_);
  if (handle < 0) {
    setstate(std::ios::failbit);
    return;
  }
  buffer_.Adopt(handle);
}

TFileStatus ReadRegularFile(const std::filesystem::path& path, std::size_t maxBytes,
                            std::string& bytes) {
  bytes.clear();
  TFileStatus status;
  int64_t size = 0;
  const int handle = OpenRegular(path, kReadFlags, status, &size);
  if (handle < 0) return status;
  struct TCloser {
    int Handle;
    ~TCloser() { CloseHandle(Handle); }
  } closer{handle};
  if (size < 0 || static_cast<uint64_t>(size) > maxBytes) return TFileStatus::TooLarge;
  // The size is only a first guess: a file can grow while it is read, and some (those of /proc)
  // say 0 and still hold bytes. One byte beyond the limit tells a file that is too long.
  bytes.reserve(static_cast<std::size_t>(size));
  std::array<char, 1 << 16> chunk;
  for (;;) {
    const std::size_t room = maxBytes - bytes.size() + 1;
    const int64_t got = ReadHandle(handle, chunk.data(), std::min(chunk.size(), room));
    if (got < 0) {
      bytes.clear();
      return TFileStatus::Failed;
    }
    if (got == 0) return TFileStatus::Done;
    bytes.append(chunk.data(), static_cast<std::size_t>(got));
    if (bytes.size() > maxBytes) {
      bytes.clear();
      return TFileStatus::TooLarge;
    }
  }
}

TFileStatus WriteRegularFile(const std::filesystem::path& path, std::string_view bytes,
                             TCreate create) {
  TFileStatus status;
  int handle = OpenRegular(path, kWriteFlags, status);
  if (handle < 0 && status == TFileStatus::Missing && create == TCreate::IfMissing)
    handle = OpenRegular(path, kWriteFlags | kCreateFlags, status);
  if (handle < 0) return status;
  // Emptied only now that it is known to be a regular file.
  bool written = EmptyHandle(handle);
  while (written && !bytes.empty()) {
    const int64_t put = WriteHandle(handle, bytes.data(), bytes.size());
    written = put > 0;
    if (written) bytes.remove_prefix(static_cast<std::size_t>(put));
  }
  written = CloseHandle(handle) == 0 && written;
  return written ? TFileStatus::Done : TFileStatus::Failed;
}

}  // namespace zarvo
