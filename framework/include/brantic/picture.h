// Pixels of pictures and of the first frame of movies, as 8-bit RGB or RGBA. Any thread.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "brantic/result.h"
#include "brantic/url.h"

namespace brantic {

struct Picture {
  int32_t width = 0;
  int32_t height = 0;
  int32_t channels = 0;  // 3 (RGB) or 4 (RGBA)
  std::vector<uint8_t> pixels;  // rows top to bottom, channels interleaved
};

// Pictures larger than this many pixels are refused rather than loaded.
inline constexpr int64_t kMaxPicturePixels = int64_t{1} << 28;

// Loads the first picture (or movie frame) of the file at `url`.
Result<Picture> LoadPicture(const Url& url);
// Decodes a picture held in memory (a PNG, say).
Result<Picture> DecodePicture(std::string_view bytes);
// A copy scaled to `width` × `height` with a box filter (each target pixel averages the
// source pixels it covers).
Picture ScalePicture(const Picture& source, int32_t width, int32_t height);

}  // namespace brantic
