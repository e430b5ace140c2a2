#include "point_command.h"

#include "meter_commands.h"
#include "text_helpers.h"

namespace benchbridge {

namespace {

constexpr std::string_view kEmptyValue = "--";

std::string PointValue(std::string_view text) {
  std::string value = Trimmed(text);
  return value.empty() ? std::string(kEmptyValue) : value;
}

std::string LimitValue(const LimitEntry& limit) {
  std::string value = Trimmed(limit.text);
  return value.empty() ? std::string(kEmptyValue) : value + std::string(limit.prefix);
}

}  // namespace

std::optional<int> SweepModeItemFromReply(std::string_view reply) {
  if (reply == "STEP") return 1;
  if (reply == "SEQuence") return 0;
  return std::nullopt;
}

std::string PointQuery(int point) {
  return std::string(command::kListPointPrefix) + std::to_string(point) + "?";
}

std::string PointWrite(int point, std::string_view frequency, LimitEntry low, LimitEntry high) {
  return std::string(command::kListPointPrefix) + std::to_string(point) + "," +
         PointValue(frequency) + "," + LimitValue(low) + "," + LimitValue(high);
}

}  // namespace benchbridge
