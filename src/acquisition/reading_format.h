#pragma once
// How a "FETCH:INT?" reply becomes six display texts and one normalised log line.
//
// Lengths and positions count the bytes the meter sent (GBK), so the cuts land where the meter's
// own software put them; μ, Ω and θ take two bytes in UTF-8 as they did in GBK. A cut never ends
// inside a character: a character that would not fit whole is left out, so every text made here
// is well-formed UTF-8. Nothing reads past the end of a text, so any reply is safe.

#include <string>
#include <string_view>

namespace benchbridge {

// The six texts as the meter sent them; the names carry no ":" (the panel adds it).
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
  bool operator==(const ValueUnit&) const = default;
};
// (1.2345, nF) -> (1.2345e-9, F): the prefix becomes an exponent appended as text, and the unit
// keeps at most the two (GBK) bytes after the prefix.
ValueUnit NormaliseValue(std::string value, std::string unit);

// Both pairs of a reading normalised for the "_new" log; the secondary pair stays as it is when
// its unit is empty or "deg".
Reading NormaliseReading(const Reading& reading);

// The "_new" log line: the six fields of an already normalised reading joined by ",".
std::string NewLogLine(const Reading& normalised);

}  // namespace benchbridge
