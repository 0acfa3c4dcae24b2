// Sounds through libsndfile: the peaks of each block of frames, all channels mixed.
#include <sndfile.h>

#include <algorithm>
#include <climits>

#include "media_readers.h"

namespace brantic::media {

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

Result<SoundPeaks> ReadSoundPeaksFile(const std::string& path, int32_t framesPerPeak) {
  SF_INFO info{};
  SoundFile sound;
  sound.file = sf_open(path.c_str(), SFM_READ, &info);
  if (!sound.file || info.channels <= 0 || info.samplerate < 0 || framesPerPeak <= 0) {
    return IllegalArgumentError(path + ": not a sound the sound library reads");
  }
  SoundPeaks peaks;
  peaks.channels = info.channels;
  peaks.bitsPerSample = BitsOf(info.format);
  peaks.sampleRate = info.samplerate;
  peaks.frames = info.frames;
  std::vector<float> block(size_t(framesPerPeak) * size_t(info.channels));
  for (;;) {
    const sf_count_t frames = sf_readf_float(sound.file, block.data(), framesPerPeak);
    if (frames <= 0) break;
    float low = 0.0f, high = 0.0f;
    for (sf_count_t f = 0; f < frames; ++f) {
      float mixed = 0.0f;
      for (int c = 0; c < info.channels; ++c) mixed += block[size_t(f) * size_t(info.channels) + size_t(c)];
      mixed /= float(info.channels);
      low = std::min(low, mixed);
      high = std::max(high, mixed);
    }
    peaks.minima.push_back(low);
    peaks.maxima.push_back(high);
    if (frames < framesPerPeak) break;
  }
  return peaks;
}

}  // namespace brantic::media
