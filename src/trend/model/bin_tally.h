#pragma once
// The comparator's verdicts counted: how many readings fell into each bin since the last
// reset, and the yield, the share of readings in a passing bin. Every numbered bin passes;
// OUT and AUX (and any other answer) do not.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace benchbridge {

// The bin of a text as the panel shows it in lls7: "BIN:3" -> '3', "BIN:OUT" -> 'O',
// "BIN:AUX" -> 'A'. nullopt for anything else.
std::optional<char> BinFromDisplayText(std::string_view text);
// "3", "OUT", "AUX".
std::string BinLabel(char bin);
bool BinPasses(char bin);

class BinTally {
 public:
  struct Row {
    char bin;
    std::uint64_t count;
  };

  void Add(char bin, std::uint64_t count = 1);
  void Reset();
  // Bins seen since the reset: numbered ones in order, then others, then OUT and AUX.
  std::vector<Row> Rows() const;
  std::uint64_t Total() const { return total_; }
  std::uint64_t Passed() const { return passed_; }
  // Passed / Total; NaN before the first bin.
  double Yield() const;

 private:
  std::array<std::uint64_t, 256> counts_{};
  std::uint64_t total_ = 0, passed_ = 0;
};

}  // namespace benchbridge
