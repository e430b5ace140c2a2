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

}  // namespace

void CsvConstantColumns::Add(std::string_view name, std::string_view value) {
  names += ',';
  names += OneLine(name);
  values += ',';
  values += OneLine(value);
}

void CsvConstantColumns::AddRow(std::string_view text, std::string_view prefix,
                                std::string_view fallback) {
  std::string row(text);
  std::replace(row.begin(), row.end(), '\r', ' ');
  std::replace(row.begin(), row.end(), '\n', ' ');
  const std::size_t colon = row.find(':');
  if (colon == std::string_view::npos || colon == 0) {
    Add(fallback, row);
    return;
  }
  const std::size_t value = row.find_first_not_of(' ', colon + 1);
  Add(std::string(prefix) + row.substr(0, colon),
      value == std::string::npos ? std::string() : row.substr(value));
}

void AddContextColumns(const CsvContext& context, CsvConstantColumns& columns) {
  columns.Add("meter", context.identity);
  columns.Add("function", context.function);
  for (std::size_t i = 0; i < context.settingsRows.size(); ++i) {
    columns.AddRow(context.settingsRows[i], "", "setting " + std::to_string(i + 1));
  }
  if (!context.nominal.empty()) columns.Add("nominal", context.nominal);
  for (std::size_t i = 0; i < context.binLimits.size(); ++i) {
    columns.AddRow(context.binLimits[i], "limit ", "limit " + std::to_string(i + 1));
  }
}

void AddExportedColumn(const CsvContext& context, CsvConstantColumns& columns) {
  columns.Add("exported", FormatIsoLocal(context.exportTime));
}

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
  CsvConstantColumns columns;
  AddContextColumns(context, columns);
  AddExportedColumn(context, columns);
  out << kCsvColumns << columns.names << kLineEnd;

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
    row += columns.values;
    out << row << kLineEnd;
  }
}

}  // namespace benchbridge
