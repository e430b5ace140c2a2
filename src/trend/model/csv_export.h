#pragma once
// The readings of a range as CSV (RFC 4180, UTF-8 with a byte-order mark so that spreadsheets
// take "Ω" as it is, CR LF line ends): a header of "# " comment lines, a row naming the
// columns, then one row per reading.

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "reading_store.h"

namespace benchbridge {

struct CsvContext {
  std::string identity;                   // the meter's model, serial number and version
  std::string function;                   // as CB1 shows it, "Cs-D"
  std::vector<std::string> settingsRows;  // as the panel shows them, "Level: 1V", ...
  TimeMs exportTime = 0;
};

// The field as it goes into a row: quoted, with its quotes doubled, when it holds a comma, a
// quote, a line break or a blank at either end.
std::string CsvField(std::string_view text);

// Shortest text that reads back as the same double; "" for NaN.
std::string CsvNumber(double value);

inline constexpr std::string_view kCsvColumns =
    "time,primary,primary value,primary unit,secondary,secondary value,secondary unit,bin";

void WriteCsv(std::ostream& out, const CsvContext& context, const ReadingStore& store,
              std::uint64_t begin, std::uint64_t end);

}  // namespace benchbridge
