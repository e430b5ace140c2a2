#pragma once
// The meter's five system options as the system settings dialog reads and sets them: the query,
// the reply word of each item and the command each item sends. Items are counted from 0.

#include <array>
#include <optional>
#include <string_view>

#include "meter_commands.h"

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
inline constexpr SystemOption kBeeper{command::kAskBeeper,
                                      {"OFF", "ON", nullptr},
                                      {command::kBeeperOff, command::kBeeperOn, nullptr},
                                      2};
inline constexpr SystemOption kTrigger{
    command::kAskTriggerSource,
    {"INT", "EXT", "MAN"},
    {command::kTriggerInternal, command::kTriggerExternal, command::kTriggerManual},
    3};
inline constexpr SystemOption kPassTone{
    command::kAskPassTone,
    {"OFF", "SHO", "LON"},
    {command::kPassToneOff, command::kPassToneShort, command::kPassToneLong},
    3};
inline constexpr SystemOption kFailTone{
    command::kAskFailTone,
    {"OFF", "SHO", "LON"},
    {command::kFailToneOff, command::kFailToneShort, command::kFailToneLong},
    3};
// Power-on: "LAST" is the last-value item; any other answer the default item.
inline constexpr SystemOption kPowerOn{command::kAskPowerOn,
                                       {nullptr, "LAST", nullptr},
                                       {command::kPowerOnDefault, command::kPowerOnLast, nullptr},
                                       2,
                                       0};
}  // namespace system_option

// The item a non-empty reply selects; none for a reply that names no item (exact, case-sensitive).
std::optional<int> SystemItemFromReply(const SystemOption& option, std::string_view reply);

}  // namespace benchbridge
