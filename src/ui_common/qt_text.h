#pragma once
// Texts cross between the widgets (QString) and the rest of the program (UTF-8 std::string)
// here, and nowhere else.

#include <QString>
#include <string>
#include <string_view>

#include "bilingual.h"

namespace benchbridge {

inline QString ToQt(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}
inline std::string ToStd(const QString& text) { return text.toStdString(); }

// The design's own (Chinese) caption of a text, which a form shows until its caption routine
// writes the one of the interface language.
inline QString DesignText(const Bilingual& text) { return ToQt(text.chinese); }

}  // namespace benchbridge
