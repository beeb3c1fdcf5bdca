#include "base/zeroed_pages.h"

#include <new>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#endif

namespace zarvo {

TZeroedPages::TZeroedPages(std::size_t bytes) {
  if (bytes == 0) return;
#ifdef _WIN32
  void* data = VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  if (data == nullptr) throw std::bad_alloc();
#else
  void* data = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (data == MAP_FAILED) throw std::bad_alloc();
#endif
  data_ = data;
  bytes_ = bytes;
}

TZeroedPages::~TZeroedPages() {
  Release();
}

TZeroedPages::TZeroedPages(TZeroedPages&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), bytes_(std::exchange(other.bytes_, 0)) {}

TZeroedPages& TZeroedPages::operator=(TZeroedPages&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = std::exchange(other.data_, nullptr);
    bytes_ = std::exchange(other.bytes_, 0);
  }
  return *this;
}

void TZeroedPages::Release() noexcept {
  if (data_ == nullptr) return;
#ifdef _WIN32
  VirtualFree(data_, 0, MEM_RELEASE);
#else
  munmap(data_, bytes_);
#endif
  data_ = nullptr;
  bytes_ = 0;
}

}  // namespace zarvo
