#pragma once
// One line of the benchmark table: every program prints its figures as
//   row|<what>|<figure>|<target>|<met, MISSED or ->
// beside its own report, and scripts/bench gathers the rows of all of them into one table.

#include <cstdio>
#include <string>

namespace benchbridge::bench {

inline void PrintRow(const std::string& what, const std::string& figure,
                     const std::string& target = "-", int met = -1) {
  std::printf("row|%s|%s|%s|%s\n", what.c_str(), figure.c_str(), target.c_str(),
              met < 0 ? "-"
              : met   ? "met"
                      : "MISSED");
}

template <typename... Args>
std::string Format(const char* format, Args... args) {
  char text[160];
  (void)std::snprintf(text, sizeof text, format, args...);
  return text;
}

}  // namespace benchbridge::bench
