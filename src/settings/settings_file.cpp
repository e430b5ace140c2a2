#include "settings_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <SimpleIni.h>

#include <algorithm>
#include <optional>
#include <string>
#include <system_error>

#include "profile_int.h"
#include "replace_file.h"

namespace benchbridge {
namespace {

namespace fs = std::filesystem;

// SimpleIni drops comments that follow the last entry of a file. A section of this name is
// appended before loading, so such comments become its comment, and its line is cut out of
// the saved text again.
constexpr std::string_view kTailSection =
    "[\x01"
    "benchbridge tail\x01]";

// Removes the tail section's line with the blank lines around it, keeping SimpleIni's two blank
// lines between what stood before it and what follows.
void CutTailSection(std::string& text) {
  const std::string line = std::string(kTailSection) + "\n";
  const std::size_t at = text.find(line);
  if (at == std::string::npos) return;
  std::size_t from = at;
  while (from >= 2 && text[from - 1] == '\n' && text[from - 2] == '\n') --from;
  std::size_t to = at + line.size();
  while (to < text.size() && text[to] == '\n') ++to;
  text.replace(from, to - from, from > 0 && to < text.size() ? "\n\n" : "");
}

// SimpleIni stops at a NUL byte, and a "[" without its "]" makes it read the next line into the
// section name ("[" then "[Param Info]" gives a section "[Param Info"). Windows skips such a
// line; so do we, and what follows a NUL is binary garbage in any case.
std::string WithoutBrokenSectionLines(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  std::string kept;
  kept.reserve(text.size());
  while (!text.empty()) {
    const std::size_t end = std::min(text.find_first_of("\r\n"), text.size());
    const std::size_t next = std::min(text.find_first_not_of("\r\n", end), text.size());
    const std::string_view line = text.substr(0, end);
    const std::size_t first = line.find_first_not_of(" \t");
    const bool broken = first != std::string_view::npos && line[first] == '[' &&
                        line.find(']', first) == std::string_view::npos;
    if (!broken) kept += text.substr(0, next);
    text.remove_prefix(next);
  }
  return kept;
}

// Profile files name sections and keys without regard to case, and the first of two equal
// keys is the one that counts; multi-key mode keeps the others for the rewrite.
struct ProfileFile {
  CSimpleIniA ini{false, true, false};
  explicit ProfileFile(const std::string& raw) {
    ini.SetSpaces(false);
    std::string contents = WithoutBrokenSectionLines(raw);
    contents += "\n";
    contents += kTailSection;
    contents += "\n";
    ini.LoadData(contents.data(), contents.size());
  }
  std::string Value(const char* section, const char* key) const {
    const char* value = ini.GetValue(section, key, nullptr);
    return value ? std::string(value) : std::string();
  }
  int Int(const char* key, int fallback) const {
    const char* value = ini.GetValue(kSettingsSection, key, nullptr);
    return value ? ProfileInt(value, fallback) : fallback;
  }
  void SetInt(const char* key, int value) {
    ini.SetValue(kSettingsSection, key, std::to_string(value).c_str(), nullptr, true);
  }
  std::optional<std::string> Text() const {
    std::string text;
    if (ini.Save(text) < 0) return std::nullopt;
    CutTailSection(text);
    return text;
  }
};

UiLanguage LanguageOfProfileValue(int value) {
  return value == 0 ? UiLanguage::Chinese : UiLanguage::English;
}

int ProfileValueOfLanguage(UiLanguage language) { return language == UiLanguage::Chinese ? 0 : 1; }

bool Writable(const fs::path& path, const struct stat& info) {
  // Root passes access(); the missing write bits still mark a file the user made read-only.
  return ::access(path.c_str(), W_OK) == 0 && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH));
}

}  // namespace

SettingsValues ReadSettingsFile(const fs::path& path) {
  SettingsValues values;
  try {
    const std::optional<std::string> contents = ReadSmallFile(path, kSettingsFileCap);
    if (!contents) return values;
    const ProfileFile file(*contents);
    values.comid = file.Int("comid", kDefaultComId);
    values.lang = LanguageOfProfileValue(file.Int("lang", ProfileValueOfLanguage(kDefaultLang)));
  } catch (...) {
    return SettingsValues{};  // out of memory: the defaults
  }
  return values;
}

namespace {

std::string ReadBridgeKey(const fs::path& path, const char* key) {
  try {
    const std::optional<std::string> contents = ReadSmallFile(path, kSettingsFileCap);
    return contents ? ProfileFile(*contents).Value(kBridgeSection, key) : std::string();
  } catch (...) {
    return {};  // out of memory: as if not written
  }
}

}  // namespace

std::string ReadBridgeListen(const fs::path& path) { return ReadBridgeKey(path, "Listen"); }

std::string ReadBridgeReplies(const fs::path& path) { return ReadBridgeKey(path, "Replies"); }

bool WriteSettingsFile(const fs::path& path, int comid, UiLanguage lang, int defa) {
  try {
    std::error_code error;
    // A link is followed, so the file it points to is rewritten and the link stays.
    fs::path target = path;
    if (fs::is_symlink(fs::symlink_status(path, error))) {
      target = fs::canonical(path, error);
      if (error) return false;
    }
    std::string contents;
    std::optional<mode_t> mode;
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0) {
      if (!S_ISREG(info.st_mode) || !Writable(target, info)) return false;
      std::optional<std::string> existing = ReadSmallFile(target, kSettingsFileCap);
      if (!existing) return false;  // too large or unreadable: rewriting would lose it
      contents = std::move(*existing);
      mode = info.st_mode & 07777;
    } else if (errno != ENOENT) {
      return false;
    }
    ProfileFile file(contents);
    file.SetInt("comid", comid);
    file.SetInt("lang", ProfileValueOfLanguage(lang));
    file.SetInt("defa", defa);
    const std::optional<std::string> text = file.Text();
    return text && ReplaceFile(target, *text, mode);
  } catch (...) {
    return false;
  }
}

}  // namespace benchbridge
