#pragma once
// What the program fixes for the whole process before its window exists.

#include <filesystem>

namespace benchbridge {

// Numbers, dates and times in the program's own fixed forms ("." decimal point, yyyy-mm-dd,
// hh:mm:ss) whatever the user's locale says. Needs the QApplication.
void FixRegionalFormats();

// A font file made available to the program for as long as this object lives (the home folder's
// "vista.ttf"). A missing or unreadable file is silently skipped.
class ApplicationFontFile {
 public:
  explicit ApplicationFontFile(const std::filesystem::path& file);
  ~ApplicationFontFile();
  ApplicationFontFile(const ApplicationFontFile&) = delete;
  ApplicationFontFile& operator=(const ApplicationFontFile&) = delete;

  bool Registered() const { return id_ >= 0; }
  int Id() const { return id_; }

 private:
  int id_ = -1;
};

}  // namespace benchbridge
