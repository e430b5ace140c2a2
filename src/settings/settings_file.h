#pragma once
// "Set.ini": section "Param Info" with the integer keys "comid", "lang" and "defa", read and
// written the way the Windows profile functions do it, and the network bridge's "Listen" key in
// section "Bridge", which only the operator writes. Nothing here ever throws or reports: a
// file that cannot be used reads as the defaults, and a save that cannot be made safely is not
// made.

#include <cstdint>
#include <filesystem>
#include <string>

#include "state_record.h"

namespace benchbridge {

inline constexpr const char* kSettingsSection = "Param Info";
inline constexpr const char* kBridgeSection = "Bridge";
inline constexpr int kDefaultComId = 1;
// "lang": 0 is Chinese and any other value English; the program writes 0 and 1.
inline constexpr UiLanguage kDefaultLang = UiLanguage::Chinese;

// Larger files are taken for something that is not ours: not read, and never rewritten.
inline constexpr std::uintmax_t kSettingsFileCap = std::uintmax_t{1024} * 1024;

struct SettingsValues {
  int comid = kDefaultComId;
  UiLanguage lang = kDefaultLang;
  bool operator==(const SettingsValues&) const = default;
};

// "comid" (default 1) and "lang" (default Chinese) of the file at path.
SettingsValues ReadSettingsFile(const std::filesystem::path& path);

// The bridge's "Listen" of the file at path, "[ADDRESS:]PORT" as written; empty (the bridge is
// off) when the key or the file is missing or unusable.
std::string ReadBridgeListen(const std::filesystem::path& path);

// The bridge's "Replies" of the file at path as written ("all" passes every meter line back);
// empty when the key or the file is missing or unusable.
std::string ReadBridgeReplies(const std::filesystem::path& path);

// Writes "comid", "lang" and "defa" into section "Param Info", keeping every other section, key
// and comment of an existing file (lines without "=" outside comments are not kept). The new
// text goes to a temporary file in the same folder that is then renamed over the old one, so a
// failure never leaves a truncated file. Skipped (false) when the existing file is read-only,
// too large, not a regular file or unreadable, or when the folder takes no new file.
bool WriteSettingsFile(const std::filesystem::path& path, int comid, UiLanguage lang, int defa);

}  // namespace benchbridge
