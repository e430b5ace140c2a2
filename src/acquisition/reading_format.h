#pragma once
// How a "FETCH:INT?" reply becomes six display texts and one normalised log line.

#include <string>
#include <string_view>

namespace benchbridge {

struct Reading {
  std::string primaryName, primaryValue, primaryUnit;
  std::string secondaryName, secondaryValue, secondaryUnit;
  bool operator==(const Reading&) const = default;
};

// Cuts "Cs,1.2345nF,D,0.01234" into {Cs, 1.2345, nF, D, 0.01234, ""}; a unit starting with
// "u" becomes "μ" plus at most two more bytes. Never fails; missing fields stay empty.
Reading SplitReading(std::string_view reply);

struct ValueUnit {
  std::string value, unit;
};
// (1.2345, nF) -> (1.2345e-9, F): the prefix becomes an exponent appended as text.
ValueUnit NormaliseValue(std::string value, std::string unit);

// The "_new" log line: the six normalised fields joined by ",".
std::string NewLogLine(const Reading& reading);

}  // namespace benchbridge
