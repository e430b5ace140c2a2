#include "key_captions.h"

#include <algorithm>

namespace benchbridge {

namespace {

constexpr qsizetype kTailLimit = 10;

}  // namespace

std::optional<QString> WithSecondary(const QString& caption, const QString& secondary) {
  const qsizetype dash = caption.indexOf(QLatin1Char('-'));
  if (dash < 0) {
    return std::nullopt;
  }
  return caption.left(dash + 1) + secondary;
}

std::optional<QString> WithEquivalent(const QString& caption, const QString& letter) {
  const qsizetype dash = caption.indexOf(QLatin1Char('-'));
  if (dash < 0) {
    return std::nullopt;
  }
  // A caption that starts with "-" has no letter to replace; the new one goes in front.
  return caption.left(std::max<qsizetype>(dash - 1, 0)) + letter + caption.mid(dash, kTailLimit);
}

}  // namespace benchbridge
