#include "bin_tally.h"

#include <limits>

namespace benchbridge {

std::optional<char> BinFromDisplayText(std::string_view text) {
  if (!text.starts_with("BIN:")) return std::nullopt;
  text.remove_prefix(4);
  if (text == "OUT") return 'O';
  if (text == "AUX") return 'A';
  if (text.size() != 1 || text[0] == '\0') return std::nullopt;
  return text[0];
}

std::string BinLabel(char bin) {
  if (bin == 'O') return "OUT";
  if (bin == 'A') return "AUX";
  return std::string(1, bin);
}

bool BinPasses(char bin) { return bin >= '0' && bin <= '9'; }

void BinTally::Add(char bin, std::uint64_t count) {
  counts_[static_cast<unsigned char>(bin)] += count;
  total_ += count;
  if (BinPasses(bin)) passed_ += count;
}

void BinTally::Reset() { *this = BinTally{}; }

std::vector<BinTally::Row> BinTally::Rows() const {
  std::vector<Row> rows;
  auto take = [&](char bin) {
    if (counts_[static_cast<unsigned char>(bin)] > 0) {
      rows.push_back({bin, counts_[static_cast<unsigned char>(bin)]});
    }
  };
  for (char bin = '0'; bin <= '9'; ++bin) take(bin);
  for (int code = 1; code < 256; ++code) {
    const char bin = static_cast<char>(code);
    if (!BinPasses(bin) && bin != 'O' && bin != 'A') take(bin);
  }
  take('O');
  take('A');
  return rows;
}

double BinTally::Yield() const {
  if (total_ == 0) return std::numeric_limits<double>::quiet_NaN();
  return static_cast<double>(passed_) / static_cast<double>(total_);
}

}  // namespace benchbridge
