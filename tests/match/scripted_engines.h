// The scripted test engine under the names that choose its protocol and behaviour
// ("file-legal", "pipe-hang", ...; see tests/match/engines/scripted_engine.cpp).
#pragma once

#include <filesystem>
#include <string>

#include "tests/test_support.h"

namespace zarvo::testing {

class TScriptedEngines {
 public:
  // The engine entry for a name: "file-crash" gives "file:/tmp/.../file-crash".
  std::string Entry(const std::string& name) const {
    const std::filesystem::path link = dir_ / name;
    if (!std::filesystem::exists(link))
      std::filesystem::create_symlink(MATCH_SCRIPTED_ENGINE, link);
    return name.substr(0, name.find('-')) + ":" + link.string();
  }
  // A file in the same folder, e.g. an openings file.
  std::string File(const std::string& name, const std::string& content) const {
    dir_.Write(name, content);
    return (dir_ / name).string();
  }
  const TTempDir& Dir() const { return dir_; }

 private:
  TTempDir dir_;
};

}  // namespace zarvo::testing
