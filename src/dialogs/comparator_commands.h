#pragma once
// How the comparator dialog's limit commands and their arguments are built from the boxes.

#include <array>
#include <string>
#include <string_view>

namespace benchbridge {

namespace comparator {
// The six bin limits in box order (edt2 .. edt7) and the two secondary limits.
inline constexpr std::array<const char*, 6> kBinEndings{"1L", "1H", "2L", "2H", "3L", "3H"};
inline constexpr std::array<const char*, 2> kSecondaryEndings{"2ndL", "2ndH"};
}  // namespace comparator

// "COMParator:TOLerance:RANGe:<ending> " and its query "COMParator:TOLerance:RANGe:<ending>?".
std::string RangeCommand(std::string_view ending, std::string_view argument);
std::string RangeQuery(std::string_view ending);

// The nominal goes out as typed; the prefix item is appended unless it is blank.
std::string NominalArgument(std::string_view text, std::string_view prefixItem);
// A bin limit as typed, or "--" when it is empty.
std::string BinArgument(std::string_view text);
// A secondary limit as typed or "--", followed by the prefix item unless that is blank (also
// after "--": the meter takes the unit with the placeholder).
std::string SecondaryArgument(std::string_view text, std::string_view prefixItem);

}  // namespace benchbridge
