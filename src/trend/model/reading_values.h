#pragma once
// From the normalised texts of a reading ("22.003e-9", "F", ...) to the numbers of the store.

#include <optional>
#include <string_view>

#include "reading_format.h"
#include "reading_store.h"

namespace benchbridge {

// A value text as the "_new" log holds it: a decimal number with an optional exponent, blanks
// and a "+" allowed in front. nullopt unless the whole text is one finite number.
std::optional<double> ParseValue(std::string_view text);

// The step of the last digit of a value text: "22.0031e-9" -> 1e-13, "0.0030" -> 1e-4, "150"
// -> 1; 0 when the text is no number.
double ValueResolution(std::string_view text);

// Stores a normalised reading at time (its primary a deviation from the nulled value when
// deviation is set); false when it had no number at all (an empty reply), which breaks the
// line instead.
bool AddNormalisedReading(ReadingStore& store, TimeMs time, const Reading& normalised,
                          bool deviation = false);

}  // namespace benchbridge
