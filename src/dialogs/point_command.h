#pragma once
// The list sweep's point commands. Row n of the dialog is list point n - 1 on the wire.

#include <optional>
#include <string>
#include <string_view>

namespace benchbridge {

namespace list_sweep {
inline constexpr int kRows = 7;
}  // namespace list_sweep

// "LIST:MODE?" replies, exactly: "STEP" is the stepwise item 1, "SEQuence" the sequential item
// 0; any other reply names no item.
std::optional<int> SweepModeItemFromReply(std::string_view reply);

// "LIST:PARAmeter k?"
std::string PointQuery(int point);

// One limit as the operator left it: the box's text and the SI prefix of its unit.
struct LimitEntry {
  std::string_view text;
  std::string_view prefix;
};

// "LIST:PARAmeter k,<frequency>,<low>,<high>": each value trimmed, "--" for an empty one (an
// empty limit carries no unit); a limit gets its prefix appended.
std::string PointWrite(int point, std::string_view frequency, LimitEntry low, LimitEntry high);

}  // namespace benchbridge
