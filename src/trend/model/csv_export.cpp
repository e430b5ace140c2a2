#include "csv_export.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "bin_tally.h"
#include "local_time.h"

namespace benchbridge {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

void Comment(std::ostream& out, std::string_view label, std::string_view text) {
  // A line break inside a comment would start a row of its own.
  std::string line(text);
  std::replace(line.begin(), line.end(), '\r', ' ');
  std::replace(line.begin(), line.end(), '\n', ' ');
  out << "# " << label << line << kLineEnd;
}

}  // namespace

std::string CsvField(std::string_view text) {
  const bool quote = text.find_first_of(",\"\r\n") != std::string_view::npos ||
                     (!text.empty() && (text.front() == ' ' || text.back() == ' '));
  if (!quote) return std::string(text);
  std::string field = "\"";
  for (char c : text) {
    if (c == '"') field += '"';
    field += c;
  }
  field += '"';
  return field;
}

std::string CsvNumber(double value) {
  if (std::isnan(value)) return {};
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

void WriteCsv(std::ostream& out, const CsvContext& context, const ReadingStore& store,
              std::uint64_t begin, std::uint64_t end) {
  out << "\xEF\xBB\xBF";
  Comment(out, "benchbridge readings", "");
  Comment(out, "Meter: ", context.identity);
  Comment(out, "Function: ", context.function);
  for (const std::string& row : context.settingsRows) Comment(out, "Setting: ", row);
  Comment(out, "Exported: ", FormatIsoLocal(context.exportTime));
  out << kCsvColumns << kLineEnd;

  begin = std::max(begin, store.Begin());
  end = std::min(end, store.End());
  std::string row;
  for (std::uint64_t i = begin; i < end; ++i) {
    const StoredReading reading = store.At(i);
    const ParameterNames& names = store.Names(reading.kind);
    row = FormatIsoLocal(reading.time);
    for (const std::string& field :
         {CsvField(names.primaryName), CsvNumber(reading.primary), CsvField(names.primaryUnit),
          CsvField(names.secondaryName), CsvNumber(reading.secondary),
          CsvField(names.secondaryUnit),
          reading.bin != 0 ? CsvField(BinLabel(reading.bin)) : std::string()}) {
      row += ',';
      row += field;
    }
    out << row << kLineEnd;
  }
}

}  // namespace benchbridge
