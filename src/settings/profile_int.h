#pragma once
// Integer values of a profile file, read as GetPrivateProfileInt reads them.

#include <string_view>

namespace benchbridge {

// Leading blanks skipped, an optional sign, then the leading digits count ("12abc" is 12, "abc"
// is 0), clamped to the int range. An empty value reads as fallback, as a missing key does.
int ProfileInt(std::string_view value, int fallback);

}  // namespace benchbridge
