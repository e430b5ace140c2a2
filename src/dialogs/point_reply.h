#pragma once
// What the list sweep dialog reads out of a point reply ("LIST:PARAmeter k?"). Fields are
// counted among the non-empty pieces between commas; a field the reply does not have reads as
// an empty text, so a short or empty reply leaves boxes empty instead of reading past its end.

#include <string>
#include <string_view>

#include "text_helpers.h"

namespace benchbridge {

// Fields 2 to 4: the point's settings, read back after a write and on showing.
struct PointSettings {
  std::string frequency;  // as received
  MantissaPrefix low;     // mantissa and SI prefix
  MantissaPrefix high;
};
PointSettings PointSettingsFromReply(std::string_view reply);

// Fields 5 and 6: the measurement of the point, shown by the refresh.
struct PointResult {
  std::string testValue;      // as received
  std::string compareResult;  // as received
};
PointResult PointResultFromReply(std::string_view reply);

}  // namespace benchbridge
