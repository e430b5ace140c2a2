#pragma once
// A sweep as CSV (UTF-8 with a byte-order mark, CR LF, RFC 4180 quoting, as the trend window
// exports readings): a header with the meter, function, settings rows and the sweep's own
// parameters, a row naming the columns, then one row per point with the swept value, the
// readings as the meter sent them, their averages in plain units and the quantities derived for
// the chosen circuit. Reading one back gives the points again, to be shown as a reference.

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
