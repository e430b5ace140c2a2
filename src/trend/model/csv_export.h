#pragma once
// The readings of a range as CSV (RFC 4180, UTF-8, CR LF line ends) that spreadsheets, pandas'
// read_csv and Python's csv module all open with no options: the column names on the first
// line, then one row per reading, every cell one value. What was true of the whole export (the
// meter, the function, the settings, the comparator, the export time) is in columns of its own
// that hold the same value on every row, so it stays with the readings through any filter,
// sort or concatenation and no tool has to skip lines to find the table.

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
  // The comparator's nominal value and bin limits ("22 nF"; "1: -0.01 % to 0.01 %"); empty
  // when not known.
  std::string nominal;
  std::vector<std::string> binLimits;
};

// The field as it goes into a row: quoted, with its quotes doubled, when it holds a comma, a
// quote, a line break or a blank at either end.
std::string CsvField(std::string_view text);

// Shortest text that reads back as the same double; "" for NaN.
std::string CsvNumber(double value);

// The columns of what holds for a whole export: their names and the one row of values they
// hold throughout, each added as ",name" and ",value".
struct CsvConstantColumns {
  std::string names, values;
  void Add(std::string_view name, std::string_view value);
  // "Level: 1V" as a column "<prefix>Level" holding "1V"; a row without a caption as a column
  // named fallback holding the whole row.
  void AddRow(std::string_view row, std::string_view prefix, std::string_view fallback);
};

// The context's columns before the export time: the meter, the function, one per settings row
// ("Level: 1V" is a column "Level" holding "1V"), the comparator's nominal and "limit 1"... when
// known. Exports add their own columns after these, and "exported" (AddExportedColumn) last.
void AddContextColumns(const CsvContext& context, CsvConstantColumns& columns);
void AddExportedColumn(const CsvContext& context, CsvConstantColumns& columns);

// The columns every export starts with; the context's columns follow.
inline constexpr std::string_view kCsvColumns =
    "time,primary,primary value,primary unit,secondary,secondary value,secondary unit,bin,"
    "deviation";

void WriteCsv(std::ostream& out, const CsvContext& context, const ReadingStore& store,
              std::uint64_t begin, std::uint64_t end);

}  // namespace benchbridge
