// A block of memory taken from the system in whole pages, all zero. The system supplies a page
// when it is first touched, so a large block costs nothing until it is used; releasing the block
// gives its pages back to the system at once, where a heap would keep them.
#pragma once

#include <cstddef>

namespace zarvo {

class TZeroedPages {
 public:
  TZeroedPages() = default;
  // Throws std::bad_alloc when the system refuses.
  explicit TZeroedPages(std::size_t bytes);
  ~TZeroedPages();

  TZeroedPages(TZeroedPages&& other) noexcept;
  TZeroedPages& operator=(TZeroedPages&& other) noexcept;
  TZeroedPages(const TZeroedPages&) = delete;
  TZeroedPages& operator=(const TZeroedPages&) = delete;

  void* Data() const { return data_; }
  std::size_t Bytes() const { return bytes_; }

 private:
  void Release() noexcept;

  void* data_ = nullptr;
  std::size_t bytes_ = 0;
};

}  // namespace zarvo
