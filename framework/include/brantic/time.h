// Time values: exact rationals in seconds. Any thread.
#pragma once

#include <cmath>
#include <cstdint>

namespace brantic {

class TimeValue {
 public:
  TimeValue() = default;
  TimeValue(int64_t numerator, int64_t denominator)
      : numerator_(numerator), denominator_(denominator > 0 ? denominator : 1) {}
  static TimeValue FromSeconds(double seconds) {
    // Millisecond-exact is enough for durations read from media files.
    return TimeValue(static_cast<int64_t>(std::llround(seconds * 1000.0)), 1000);
  }
  static TimeValue FromFrame(int64_t frame, double framesPerSecond) {
    const int64_t fps = framesPerSecond > 0 ? static_cast<int64_t>(std::llround(framesPerSecond)) : 1;
    return TimeValue(frame, fps);
  }

  int64_t Numerator() const { return numerator_; }
  int64_t Denominator() const { return denominator_; }
  double Seconds() const { return static_cast<double>(numerator_) / static_cast<double>(denominator_); }
  bool IsZero() const { return numerator_ == 0; }
  // The frame at `framesPerSecond`: floor(numerator × rate) / floor(denominator), truncated.
  int32_t GetFrame(double framesPerSecond) const {
    const double scaled = std::floor(static_cast<double>(numerator_) * framesPerSecond);
    return static_cast<int32_t>(scaled / std::floor(static_cast<double>(denominator_)));
  }

  bool operator==(const TimeValue& other) const {
    return numerator_ * other.denominator_ == other.numerator_ * denominator_;
  }

 private:
  int64_t numerator_ = 0;
  int64_t denominator_ = 1;
};

}  // namespace brantic
