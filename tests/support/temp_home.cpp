#include "temp_home.h"

#include <stdlib.h>

#include <stdexcept>
#include <string>
#include <system_error>

namespace benchbridge::testing {

TempHome::TempHome() {
  std::string pattern = "/tmp/benchbridge-test-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempHome::~TempHome() {
  std::error_code ec;
  // A test may leave a folder read-only (log tests do); make it writable so it can go.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    if (it->is_directory(ec) && !it->is_symlink(ec)) {
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ec);
    }
  }
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

}  // namespace benchbridge::testing
