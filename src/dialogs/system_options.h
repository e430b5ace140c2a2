#pragma once
// The meter's five system options as the system settings dialog reads and sets them: the query,
// the reply word of each item and the command each item sends. Items are counted from 0.

#include <array>
#include <optional>
#include <string_view>

namespace benchbridge {

struct SystemOption {
  const char* query;
  // Reply word per item; nullptr where the item has none (the power-on default).
  std::array<const char*, 3> replies;
  std::array<const char*, 3> commands;  // nullptr past the last item
  int itemCount;
  int otherReplyItem = -1;  // the item any other non-empty reply selects; -1: none
};

namespace system_option {
// In the order the dialog reads them.
inline constexpr SystemOption kBeeper{"SYSTem:BEEPer:STATe?",
                                      {"OFF", "ON", nullptr},
                                      {"SYSTem:BEEPer:STATe 0", "SYSTem:BEEPer:STATe 1", nullptr},
                                      2};
inline constexpr SystemOption kTrigger{"SYSTem:SOUR?",
                                       {"INT", "EXT", "MAN"},
                                       {"SYSTem:SOUR INT", "SYSTem:SOUR EXT", "SYSTem:SOUR MAN"},
                                       3};
inline constexpr SystemOption kPassTone{
    "SYSTem:BEEPer:PASS?",
    {"OFF", "SHO", "LON"},
    {"SYSTem:BEEPer:PASS OFF", "SYSTem:BEEPer:PASS SHO", "SYSTem:BEEPer:PASS LON"},
    3};
inline constexpr SystemOption kFailTone{
    "SYSTem:BEEPer:FAIL?",
    {"OFF", "SHO", "LON"},
    {"SYSTem:BEEPer:FAIL OFF", "SYSTem:BEEPer:FAIL SHO", "SYSTem:BEEPer:FAIL LON"},
    3};
// Power-on: "LAST" is the last-value item; any other answer the default item.
inline constexpr SystemOption kPowerOn{"SYSTem:STARt?",
                                       {nullptr, "LAST", nullptr},
                                       {"SYSTem:STARt 0", "SYSTem:STARt 1", nullptr},
                                       2,
                                       0};
}  // namespace system_option

// The item a non-empty reply selects; none for a reply that names no item (exact, case-sensitive).
std::optional<int> SystemItemFromReply(const SystemOption& option, std::string_view reply);

}  // namespace benchbridge
