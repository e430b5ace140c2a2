#pragma once
// Where the simulated meter gets its time and its measurement noise from. Tests pass a manual
// clock and a fixed noise source so every reading is known in advance.

#include <chrono>
#include <cstdint>
#include <random>
#include <vector>

namespace benchbridge::sim {

class Clock {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;
  virtual ~Clock() = default;
  virtual TimePoint Now() = 0;
};

class SteadyClock final : public Clock {
 public:
  TimePoint Now() override { return std::chrono::steady_clock::now(); }
};

// Moves only when told to.
class ManualClock final : public Clock {
 public:
  TimePoint Now() override { return now_; }
  void Advance(std::chrono::milliseconds step) { now_ += step; }

 private:
  TimePoint now_{};
};

// Standard normal samples (mean 0, deviation 1).
class NoiseSource {
 public:
  virtual ~NoiseSource() = default;
  virtual double Gaussian() = 0;
};

class SeededNoise final : public NoiseSource {
 public:
  explicit SeededNoise(std::uint64_t seed) : engine_(seed) {}
  double Gaussian() override { return normal_(engine_); }

 private:
  std::mt19937_64 engine_;
  std::normal_distribution<double> normal_{0.0, 1.0};
};

// Plays the given samples in a loop; an empty list gives a noiseless meter.
class FixedNoise final : public NoiseSource {
 public:
  explicit FixedNoise(std::vector<double> samples = {}) : samples_(std::move(samples)) {}
  double Gaussian() override {
    if (samples_.empty()) return 0.0;
    const double sample = samples_[next_];
    next_ = (next_ + 1) % samples_.size();
    return sample;
  }

 private:
  std::vector<double> samples_;
  std::size_t next_ = 0;
};

}  // namespace benchbridge::sim
