// Whatever lies in Set.ini is read without harm, and a save over it keeps our keys readable.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "settings_file.h"

namespace {

// One folder for the whole run, removed at exit.
const std::filesystem::path& Folder() {
  static const std::filesystem::path folder = [] {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "settings-fuzz-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    std::atexit([] { std::filesystem::remove_all(Folder()); });
    return std::filesystem::path(pattern);
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::filesystem::path ini = Folder() / "Set.ini";
  std::ofstream(ini, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  benchbridge::ReadSettingsFile(ini);
  if (benchbridge::WriteSettingsFile(ini, 42, benchbridge::UiLanguage::English, 0)) {
    const benchbridge::SettingsValues values = benchbridge::ReadSettingsFile(ini);
    if (values.comid != 42 || values.lang != benchbridge::UiLanguage::English) __builtin_trap();
  }
  return 0;
}
