#include "point_reply.h"

#include <vector>

namespace benchbridge {

namespace {

// Field at position (first = 1), or empty when the reply is shorter.
std::string Field(const std::vector<std::string>& fields, std::size_t position) {
  return position <= fields.size() ? fields[position - 1] : std::string();
}

}  // namespace

PointSettings PointSettingsFromReply(std::string_view reply) {
  const std::vector<std::string> fields = SplitText(reply, ",");
  return {Field(fields, 2), ExponentToPrefix(Field(fields, 3)), ExponentToPrefix(Field(fields, 4))};
}

PointResult PointResultFromReply(std::string_view reply) {
  const std::vector<std::string> fields = SplitText(reply, ",");
  return {Field(fields, 5), Field(fields, 6)};
}

}  // namespace benchbridge
