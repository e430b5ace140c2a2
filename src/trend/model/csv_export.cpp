#include "csv_export.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "bin_tally.h"
#include "local_time.h"

namespace benchbridge {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// One cell of text: a line break inside it would start a row of its own in some readers.
std::string OneLine(std::string_view text) {
  std::string line(text);
  std::replace(line.begin(), line.end(), '\r', ' ');
  std::replace(line.begin(), line.end(), '\n', ' ');
  return CsvField(line);
}

// The context as column names and the one row of values they hold throughout. A row
// "Level: 1V" is a column "Level" holding "1V"; a bin limit "1: ±0.01 %" a column "limit 1".
void ContextColumns(const CsvContext& context, std::string& names, std::string& values) {
  auto add = [&](std::string_view name, std::string_view value) {
    names += ',';
    names += OneLine(name);
    values += ',';
    values += OneLine(value);
  };
  // fallback names the column of a row without a caption.
  auto addRow = [&](std::string row, const std::string& prefix, const std::string& fallback) {
    std::replace(row.begin(), row.end(), '\r', ' ');
    std::replace(row.begin(), row.end(), '\n', ' ');
    const std::size_t colon = row.find(':');
    if (colon == std::string::npos || colon == 0) {
      add(fallback, row);
      return;
    }
    const std::size_t value = row.find_first_not_of(' ', colon + 1);
    add(prefix + row.substr(0, colon), value == std::string::npos ? "" : row.substr(value));
  };
  add("meter", context.identity);
  add("function", context.function);
  for (std::size_t i = 0; i < context.settingsRows.size(); ++i) {
    addRow(context.settingsRows[i], "", "setting " + std::to_string(i + 1));
  }
  if (!context.nominal.empty()) add("nominal", context.nominal);
  for (std::size_t i = 0; i < context.binLimits.size(); ++i) {
    addRow(context.binLimits[i], "limit ", "limit " + std::to_string(i + 1));
  }
  add("exported", FormatIsoLocal(context.exportTime));
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
  std::string names(kCsvColumns), values;
  ContextColumns(context, names, values);
  out << names << kLineEnd;

  begin = std::max(begin, store.Begin());
  end = std::min(end, store.End());
  std::string row;
  for (std::uint64_t i = begin; i < end; ++i) {
    const StoredReading reading = store.At(i);
    const ParameterNames& kind = store.Names(reading.kind);
    row = FormatIsoLocal(reading.time);
    for (const std::string& field :
         {CsvField(kind.primaryName), CsvNumber(reading.primary), CsvField(kind.primaryUnit),
          CsvField(kind.secondaryName), CsvNumber(reading.secondary), CsvField(kind.secondaryUnit),
          reading.bin != 0 ? CsvField(BinLabel(reading.bin)) : std::string(),
          std::string(kind.deviation ? "yes" : "no")}) {
      row += ',';
      row += field;
    }
    row += values;
    out << row << kLineEnd;
  }
}

}  // namespace benchbridge
