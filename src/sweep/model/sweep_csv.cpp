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
constexpr std::string_view kMark = "\xEF\xBB\xBF";
constexpr std::string_view kFrequencyLabel = "Test frequency: ";
constexpr std::string_view kReplySeparator = " | ";
constexpr std::size_t kLongestLine = 64 * 1024;
constexpr std::array kDerivedColumns{DerivedQuantity::Magnitude,   DerivedQuantity::Phase,
                                     DerivedQuantity::Resistance,  DerivedQuantity::Reactance,
                                     DerivedQuantity::Capacitance, DerivedQuantity::Inductance,
                                     DerivedQuantity::D,           DerivedQuantity::Q};
const SweptSetting kSettings[] = {SweptSetting::Frequency, SweptSetting::Level, SweptSetting::Bias};

void Comment(std::ostream& out, std::string_view label, std::string_view text) {
  std::string line(text);
  std::replace(line.begin(), line.end(), '\r', ' ');
  std::replace(line.begin(), line.end(), '\n', ' ');
  out << "# " << label << line << kLineEnd;
}

std::string WithUnit(const std::string& name, const std::string& unit) {
  return unit.empty() ? name : name + " (" + unit + ")";
}

std::string SweptColumn(SweptSetting setting) {
  return WithUnit(SettingName(setting), SettingUnit(setting));
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
  out << kMark;
  Comment(out, "benchbridge sweep", "");
  Comment(out, "Meter: ", context.identity);
  Comment(out, "Function: ", context.function);
  for (const std::string& row : context.settingsRows) Comment(out, "Setting: ", row);
  Comment(out, "Swept: ", SweptColumn(record.setting));
  if (record.setting != SweptSetting::Frequency) {
    Comment(out, kFrequencyLabel, std::to_string(record.fixedFrequencyHz) + " Hz");
  }
  Comment(out, "Spacing: ", record.spacing == SweepSpacing::Logarithmic ? "logarithmic" : "linear");
  Comment(out, "Points: ", std::to_string(record.planned));
  Comment(out, "Averaged readings: ", std::to_string(record.averaging));
  Comment(out, "Circuit: ", circuit == EquivalentCircuit::Series ? "series" : "parallel");
  Comment(out, "Started: ", FormatIsoLocal(record.started));
  Comment(out, "End: ", record.end);
  Comment(out, "Exported: ", FormatIsoLocal(context.exportTime));

  out << CsvField(SweptColumn(record.setting))
      << ",status,reply,primary,primary value,primary unit,secondary,secondary value,"
         "secondary unit";
  for (const DerivedQuantity quantity : kDerivedColumns) {
    out << ',' << CsvField(WithUnit(DerivedName(quantity, circuit), DerivedUnit(quantity)));
  }
  out << kLineEnd;

  for (const SweepPoint& point : record.points) {
    out << point.setting << ',' << CsvField(PointStatusText(point.status)) << ','
        << CsvField(Joined(point.replies));
    for (const std::string& field : {CsvField(point.primaryName), CsvNumber(point.primary),
                                     CsvField(point.primaryUnit), CsvField(point.secondaryName),
                                     CsvNumber(point.secondary), CsvField(point.secondaryUnit)}) {
      out << ',' << field;
    }
    const std::optional<std::complex<double>> z =
        point.Missing() ? std::nullopt : ImpedanceOf(point.Pair(), record.FrequencyAt(point));
    for (const DerivedQuantity quantity : kDerivedColumns) {
      out << ',';
      if (z) out << CsvNumber(Derived(quantity, *z, record.FrequencyAt(point), circuit));
    }
    out << kLineEnd;
  }
}

std::optional<SweepRecord> ReadSweepCsv(std::istream& in, std::string* error) {
  SweepRecord record;
  std::string line;
  std::vector<std::string> fields;
  std::map<std::string, std::size_t> column;
  bool first = true;
  auto fail = [&](std::string why) {
    *error = std::move(why);
    return std::nullopt;
  };
  while (std::getline(in, line)) {
    if (line.size() > kLongestLine) return fail("A line is longer than any sweep row.");
    if (first && line.starts_with(kMark)) line.erase(0, kMark.size());
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const bool header = first && line.starts_with("# benchbridge sweep");
    if (first && !header) return fail("This is not a sweep exported by benchbridge.");
    first = false;
    if (line.empty() || line.starts_with("#")) {
      if (line.starts_with("# Spacing: linear")) record.spacing = SweepSpacing::Linear;
      if (line.starts_with("# " + std::string(kFrequencyLabel))) {
        const std::string value = line.substr(2 + kFrequencyLabel.size());
        record.fixedFrequencyHz = SettingValueFromText(value).value_or(0);
      }
      continue;
    }
    if (!SplitCsvLine(line, fields)) return fail("A quoted field is not closed.");
    if (column.empty()) {
      for (std::size_t i = 0; i < fields.size(); ++i) column[fields[i]] = i;
      const auto swept = std::find_if(std::begin(kSettings), std::end(kSettings),
                                      [&](SweptSetting s) { return fields[0] == SweptColumn(s); });
      if (swept == std::end(kSettings)) return fail("The first column is not a swept setting.");
      record.setting = *swept;
      for (const char* name : {"status", "reply", "primary", "primary value", "primary unit",
                               "secondary", "secondary value", "secondary unit"}) {
        if (!column.contains(name))
          return fail(std::string("The column \"") + name + "\" is missing.");
      }
      continue;
    }
    if (record.points.size() >= static_cast<std::size_t>(kMostSweepPoints)) {
      return fail("More rows than a sweep has points.");
    }
    fields.resize(column.size());
    SweepPoint point;
    const std::optional<PointStatus> status = StatusNamed(fields[column["status"]]);
    const std::optional<int> setting = SettingValueFromText(fields[0]);
    if (!status || !setting) return fail("A row has no setting or no status.");
    point.setting = *setting;
    point.status = *status;
    point.primaryName = fields[column["primary"]];
    point.primaryUnit = fields[column["primary unit"]];
    point.secondaryName = fields[column["secondary"]];
    point.secondaryUnit = fields[column["secondary unit"]];
    point.primary = ParseValue(fields[column["primary value"]]).value_or(NAN);
    point.secondary = ParseValue(fields[column["secondary value"]]).value_or(NAN);
    if (!point.Missing() && std::isnan(point.primary)) point.status = PointStatus::NoNumber;
    record.points.push_back(std::move(point));
  }
  if (column.empty()) return fail("The file has no column header.");
  if (record.points.empty()) return fail("The file holds no points.");
  record.planned = static_cast<int>(record.points.size());
  return record;
}

}  // namespace benchbridge
