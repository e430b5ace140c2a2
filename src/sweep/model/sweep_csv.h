#pragma once
// A sweep as CSV (UTF-8, CR LF, RFC 4180 quoting), laid out as the trend window exports readings
// so that spreadsheets, pandas and Python's csv module open it with no options: the column names
// on the first line, then one row per point with the swept value, its status, the readings as
// the meter sent them, their averages in plain units and the quantities derived for the chosen
// circuit; what holds for the whole sweep (the meter, function, settings rows, how it was swept,
// when, how it ended) in columns of its own with the same value on every row. Reading one back
// gives the points again, to be shown as a reference.

#include <istream>
#include <optional>
#include <ostream>
#include <string>

#include "csv_export.h"
#include "impedance_pair.h"
#include "sweep_record.h"

namespace benchbridge {

void WriteSweepCsv(std::ostream& out, const CsvContext& context, const SweepRecord& record,
                   EquivalentCircuit circuit);

// A file this program exported; nullopt, with the reason in *error, for anything else. Bounded:
// a file of more than kMostSweepPoints rows or longer lines than a row can be is refused.
std::optional<SweepRecord> ReadSweepCsv(std::istream& in, std::string* error);

}  // namespace benchbridge
