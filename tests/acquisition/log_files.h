#pragma once
// Reading back what a LogWriter wrote, at times the test chose.

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace benchbridge::testing {

// The time point of a local date and time.
std::chrono::system_clock::time_point LocalTime(int year, int month, int day, int hour, int minute,
                                                int second, int millisecond);

std::string FileContents(const std::filesystem::path& file);  // "" when missing
std::vector<std::string> FileLines(const std::filesystem::path& file);

}  // namespace benchbridge::testing
