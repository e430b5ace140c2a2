#pragma once
// A fresh home folder for one test: a unique folder under /tmp, removed with everything in it
// when the object goes.

#include <filesystem>

namespace benchbridge::testing {

class TempHome {
 public:
  TempHome();  // throws std::runtime_error when /tmp is not writable
  ~TempHome();
  TempHome(const TempHome&) = delete;
  TempHome& operator=(const TempHome&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  operator const std::filesystem::path&() const { return path_; }  // NOLINT: pass as a home

 private:
  std::filesystem::path path_;
};

}  // namespace benchbridge::testing
