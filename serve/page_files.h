// The web board's page, built into the program from serve/page/ so nothing is fetched from
// anywhere else at run time.
#pragma once

#include <span>
#include <string_view>

namespace zarvo::serve {

struct TPageFile {
  std::string_view Path;  // as requested: "/" for the page itself
  std::string_view ContentType;
  std::string_view Content;
};

std::span<const TPageFile> PageFiles();

}  // namespace zarvo::serve
