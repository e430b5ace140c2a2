#pragma once
// A number with its unit as an engineer reads it: 2.20031e-08 F shows as "22.0031 nF".

#include <string>

namespace benchbridge {

// Six significant digits with an SI prefix from p to M when there is a unit (not "deg"),
// plain otherwise; "-" for NaN.
std::string FormatQuantity(double value, const std::string& unit);

}  // namespace benchbridge
