#include "bx3/sound.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>

#include "brantic/io.h"

namespace bx3 {

namespace {

int32_t BitsOf(int format) {
  switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_ULAW:
    case SF_FORMAT_ALAW: return 8;
    case SF_FORMAT_PCM_24: return 24;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT: return 32;
    case SF_FORMAT_DOUBLE: return 64;
    default: return 16;  // 16-bit PCM, and what compressed formats decode to
  }
}

struct SoundFile {
  SNDFILE* file = nullptr;
  ~SoundFile() {
    if (file) sf_close(file);
  }
};

}  // namespace

bool BaseSound::Load(const Filename& file) {
  loaded_ = false;
  info_ = {};
  minima_.clear();
  maxima_.clear();
  // libsndfile would block on a pipe and read a device: only regular files are opened.
  if (brantic::DetectIo(file.GetUrl()) != brantic::IoDetect::File) return false;
  SF_INFO sfInfo{};
  SoundFile sound;
  sound.file = sf_open(file.GetString().CStr(), SFM_READ, &sfInfo);
  if (!sound.file || sfInfo.channels <= 0 || sfInfo.samplerate < 0) return false;
  info_.channels = sfInfo.channels;
  info_.bitsPerSample = BitsOf(sfInfo.format);
  info_.sampleRate = sfInfo.samplerate;
  info_.sampleCount = static_cast<int32_t>(std::min<sf_count_t>(sfInfo.frames, INT32_MAX));

  std::vector<float> block(size_t(kFramesPerPeak) * sfInfo.channels);
  for (;;) {
    const sf_count_t frames = sf_readf_float(sound.file, block.data(), kFramesPerPeak);
    if (frames <= 0) break;
    float low = 0.0f, high = 0.0f;
    for (sf_count_t f = 0; f < frames; ++f) {
      float mixed = 0.0f;
      for (int c = 0; c < sfInfo.channels; ++c) mixed += block[size_t(f) * sfInfo.channels + c];
      mixed /= float(sfInfo.channels);
      low = std::min(low, mixed);
      high = std::max(high, mixed);
    }
    minima_.push_back(low);
    maxima_.push_back(high);
    if (frames < kFramesPerPeak) break;
  }
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
