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

// Stores a normalised reading at time; false when it had no number at all (an empty reply),
// which breaks the line instead.
bool AddNormalisedReading(ReadingStore& store, TimeMs time, const Reading& normalised);

}  // namespace benchbridge
