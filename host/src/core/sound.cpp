#include "bx3/sound.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "brantic/media.h"

namespace bx3 {

bool BaseSound::Load(const Filename& file) {
  loaded_ = false;
  info_ = {};
  minima_.clear();
  maxima_.clear();
  auto peaks = brantic::ReadSoundPeaks(file.GetUrl(), kFramesPerPeak);
  if (!peaks) return false;
  info_.channels = peaks->channels;
  info_.bitsPerSample = peaks->bitsPerSample;
  info_.sampleRate = peaks->sampleRate;
  info_.sampleCount = static_cast<int32_t>(std::min<int64_t>(peaks->frames, INT32_MAX));
  minima_ = std::move(peaks->minima);
  maxima_ = std::move(peaks->maxima);
  loaded_ = true;
  return true;
}

bool BaseSound::GetBitmap(BaseBitmap& bitmap, brantic::TimeValue start, brantic::TimeValue stop, Rgb color,
                          Rgb background) const {
  if (!loaded_ || bitmap.IsEmpty()) return false;
  const int32_t width = bitmap.GetBw();
  const int32_t height = bitmap.GetBh();
  bitmap.Fill(0, 0, width - 1, height - 1, background.r, background.g, background.b);
  if (minima_.empty() || info_.sampleRate <= 0) return true;
  const double firstFrame = std::max(0.0, start.Seconds() * info_.sampleRate);
  double lastFrame = stop.Seconds() * info_.sampleRate;
  if (lastFrame <= firstFrame) lastFrame = double(minima_.size()) * kFramesPerPeak;
  const double middle = (height - 1) / 2.0;
  for (int32_t x = 0; x < width; ++x) {
    const double from = firstFrame + (lastFrame - firstFrame) * x / width;
    const double to = firstFrame + (lastFrame - firstFrame) * (x + 1) / width;
    size_t first = size_t(from / kFramesPerPeak);
    const size_t last = std::min(minima_.size(), std::max(first + 1, size_t(std::ceil(to / kFramesPerPeak))));
    if (first >= minima_.size()) break;
    float low = 0.0f, high = 0.0f;
    for (size_t i = first; i < last; ++i) {
      low = std::min(low, minima_[i]);
      high = std::max(high, maxima_[i]);
    }
    const int32_t top = int32_t(std::lround(middle - std::clamp(high, -1.0f, 1.0f) * middle));
    const int32_t bottom = int32_t(std::lround(middle - std::clamp(low, -1.0f, 1.0f) * middle));
    bitmap.Fill(x, top, x, bottom, color.r, color.g, color.b);
  }
  return true;
}

}  // namespace bx3
