#include "sweep_csv.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <vector>

#include "reading_values.h"

namespace benchbridge {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kMark = "\xEF\xBB\xBF";  // refused by nobody, written by some editors
constexpr std::string_view kReplySeparator = " | ";
constexpr std::size_t kLongestLine = std::size_t{64} * 1024;
constexpr std::array kDerivedColumns{DerivedQuantity::Magnitude,   DerivedQuantity::Phase,
                                     DerivedQuantity::Resistance,  DerivedQuantity::Reactance,
                                     DerivedQuantity::Capacitance, DerivedQuantity::Inductance,
                                     DerivedQuantity::D,           DerivedQuantity::Q};
const SweptSetting kSettings[] = {SweptSetting::Frequency, SweptSetting::Level, SweptSetting::Bias};
constexpr const char* kPointColumns[] = {"status",          "reply",         "primary",
                                         "primary value",   "primary unit",  "secondary",
                                         "secondary value", "secondary unit"};
constexpr const char* kSpacingColumn = "spacing";
constexpr const char* kFrequencyColumn = "test frequency (Hz)";

std::string WithUnit(const std::string& name, const std::string& unit) {
  return unit.empty() ? name : name + " (" + unit + ")";
}

std::string SweptColumn(SweptSetting setting) {
  return WithUnit(SettingName(setting), SettingUnit(setting));
}

// What holds for the whole sweep, as columns with the same value on every row: the meter, its
// function and settings rows ("Level: 1V" is a column "Level" holding "1V"), how it was swept.
void SweepColumns(const CsvContext& context, const SweepRecord& record, EquivalentCircuit circuit,
                  CsvConstantColumns& columns) {
  AddContextColumns(context, columns);
  if (record.setting != SweptSetting::Frequency) {
    columns.Add(kFrequencyColumn, std::to_string(record.fixedFrequencyHz));
  }
  columns.Add(kSpacingColumn,
              record.spacing == SweepSpacing::Logarithmic ? "logarithmic" : "linear");
  columns.Add("points", std::to_string(record.planned));
  columns.Add("averaged readings", std::to_string(record.averaging));
  columns.Add("circuit", circuit == EquivalentCircuit::Series ? "series" : "parallel");
  columns.Add("started", FormatIsoLocal(record.started));
  columns.Add("end", record.end);
  AddExportedColumn(context, columns);
}

std::string Joined(const std::vector<std::string>& replies) {
  std::string text;
  for (const std::string& reply : replies) {
    if (!text.empty()) text += kReplySeparator;
    text += reply;
  }
  return text;
}

// The fields of one CSV line (quotes undone); false when a quote is left open.
bool SplitCsvLine(std::string_view line, std::vector<std::string>& fields) {
  fields.assign(1, {});
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c != '"') {
        fields.back() += c;
      } else if (i + 1 < line.size() && line[i + 1] == '"') {
        fields.back() += '"';
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return !quoted;
}

std::optional<PointStatus> StatusNamed(const std::string& text) {
  for (PointStatus status : {PointStatus::Measured, PointStatus::ErrorReply, PointStatus::NoReply,
                             PointStatus::NoNumber}) {
    if (text == PointStatusText(status)) return status;
  }
  return std::nullopt;
}

}  // namespace

int SweepRecord::MissingCount() const {
  return static_cast<int>(std::count_if(points.begin(), points.end(),
                                        [](const SweepPoint& point) { return point.Missing(); }));
}

void WriteSweepCsv(std::ostream& out, const CsvContext& context, const SweepRecord& record,
                   EquivalentCircuit circuit) {
  std::string names = CsvField(SweptColumn(record.setting));
  for (const char* column : kPointColumns) names += std::string(",") + column;
  for (const DerivedQuantity quantity : kDerivedColumns) {
    names += ',' + CsvField(WithUnit(DerivedName(quantity, circuit), DerivedUnit(quantity)));
  }
  CsvConstantColumns columns;
  SweepColumns(context, record, circuit, columns);
  out << names << columns.names << kLineEnd;

  for (const SweepPoint& point : record.points) {
    out << point.setting << ',' << CsvField(PointStatusText(point.status)) << ','
        << CsvField(Joined(point.replies));
    for (const std::string& field : {CsvField(point.primaryName), CsvNumber(point.primary),
                                     CsvField(point.primaryUnit), CsvField(point.secondaryName),
                                     CsvNumber(point.secondary), CsvField(point.secondaryUnit)}) {
      out << ',' << field;
    }
    const double hz = record.FrequencyAt(point);
    const std::optional<std::complex<double>> z =
        point.Missing() ? std::nullopt : ImpedanceOf(point.Pair(), hz);
    for (const DerivedQuantity quantity : kDerivedColumns) {
      out << ',';
      if (z) out << CsvNumber(Derived(quantity, *z, hz, circuit));
    }
    out << columns.values << kLineEnd;
  }
}

std::optional<SweepRecord> ReadSweepCsv(std::istream& in, std::string* error) {
  SweepRecord record;
  std::string line;
  std::vector<std::string> fields;
  std::map<std::string, std::size_t> column;
  auto fail = [&](std::string why) {
    *error = std::move(why);
    return std::nullopt;
  };
  while (std::getline(in, line)) {
    if (line.size() > kLongestLine) return fail("A line is longer than any sweep row.");
    if (column.empty() && line.starts_with(kMark)) line.erase(0, kMark.size());
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (!SplitCsvLine(line, fields)) return fail("A quoted field is not closed.");
    if (column.empty()) {
      const auto swept = std::find_if(std::begin(kSettings), std::end(kSettings),
                                      [&](SweptSetting s) { return fields[0] == SweptColumn(s); });
      if (swept == std::end(kSettings)) return fail("This is not a sweep exported by benchbridge.");
      record.setting = *swept;
      for (std::size_t i = 0; i < fields.size(); ++i) column.emplace(fields[i], i);
      for (const char* name : kPointColumns) {
        if (!column.contains(name)) {
          return fail(std::string("The column \"") + name + "\" is missing.");
        }
      }
      continue;
    }
    if (record.points.size() >= static_cast<std::size_t>(kMostSweepPoints)) {
      return fail("More rows than a sweep has points.");
    }
    fields.resize(std::max(fields.size(), column.size()));
    auto cell = [&](const char* name) -> const std::string& { return fields[column.at(name)]; };
    SweepPoint point;
    const std::optional<PointStatus> status = StatusNamed(cell("status"));
    const std::optional<int> setting = SettingValueFromText(fields[0]);
    if (!status || !setting) return fail("A row has no setting or no status.");
    point.setting = *setting;
    point.status = *status;
    point.primaryName = cell("primary");
    point.primaryUnit = cell("primary unit");
    point.secondaryName = cell("secondary");
    point.secondaryUnit = cell("secondary unit");
    point.primary = ParseValue(cell("primary value")).value_or(NAN);
    point.secondary = ParseValue(cell("secondary value")).value_or(NAN);
    if (!point.Missing() && std::isnan(point.primary)) point.status = PointStatus::NoNumber;
    if (record.points.empty()) {
      if (column.contains(kSpacingColumn) && cell(kSpacingColumn) == "linear") {
        record.spacing = SweepSpacing::Linear;
      }
      if (column.contains(kFrequencyColumn)) {
        record.fixedFrequencyHz = SettingValueFromText(cell(kFrequencyColumn)).value_or(0);
      }
    }
    record.points.push_back(std::move(point));
  }
  if (column.empty()) return fail("The file has no column header.");
  if (record.points.empty()) return fail("The file holds no points.");
  record.planned = static_cast<int>(record.points.size());
  return record;
}

}  // namespace benchbridge
