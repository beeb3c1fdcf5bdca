// Shared by the fuzz targets: a check that stops the run with a message, and a scratch folder
// for the files an engine move may write (the loss markers), so a run litters nothing.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

// A violated property is a finding: libFuzzer keeps the input that caused the abort.
#define FUZZ_CHECK(condition, ...)                                                       \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s: ", __FILE__, __LINE__, #condition); \
      std::fprintf(stderr, __VA_ARGS__);                                                 \
      std::fputc('\n', stderr);                                                          \
      std::abort();                                                                      \
    }                                                                                    \
  } while (0)

namespace zarvo::fuzzing {

// One folder per fuzzing process, created on first use and left for the system to clear: the
// engine only ever writes a four-byte marker into it.
inline const std::filesystem::path& ScratchDir() {
  static const std::filesystem::path dir = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "zarvo-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    return std::filesystem::path(pattern);
  }();
  return dir;
}

}  // namespace zarvo::fuzzing
