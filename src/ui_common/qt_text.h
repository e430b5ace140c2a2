#pragma once
// Texts cross between the widgets (QString) and the rest of the program (UTF-8 std::string).

#include <QString>
#include <string>

namespace benchbridge {

inline QString ToQt(const std::string& text) { return QString::fromStdString(text); }
inline std::string ToStd(const QString& text) { return text.toStdString(); }

}  // namespace benchbridge
