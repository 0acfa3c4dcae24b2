// Host sounds: sound files loaded for their information and their wave form. A sound
// belongs to one thread at a time.
#pragma once

#include <cstdint>
#include <vector>

#include "brantic/time.h"
#include "bx3/bitmap.h"
#include "bx3/filename.h"

namespace bx3 {

struct SoundInformation {
  int32_t channels = 0;
  int32_t bitsPerSample = 0;
  double sampleRate = 0.0;
  int32_t sampleCount = 0;  // frames (one sample of every channel)
};

class BaseSound {
 public:
  // Loads WAV, AIFF, FLAC, MP3, Ogg and the other formats libsndfile reads. Only regular
  // files are opened. The wave form is kept as peaks, so long files stay small in memory.
  bool Load(const Filename& file);
  bool IsLoaded() const { return loaded_; }
  SoundInformation GetSoundInfo() const { return info_; }
  // Draws the wave form between `start` and `stop` over the whole bitmap (its size decides),
  // in `color` on `background`. False when nothing is loaded or the bitmap is empty.
  bool GetBitmap(BaseBitmap& bitmap, brantic::TimeValue start, brantic::TimeValue stop, Rgb color,
                 Rgb background) const;

 private:
  static constexpr int32_t kFramesPerPeak = 256;
  bool loaded_ = false;
  SoundInformation info_;
  // Lowest and highest sample (all channels mixed) of each block of kFramesPerPeak frames.
  std::vector<float> minima_;
  std::vector<float> maxima_;
};

}  // namespace bx3
