// Scaling pictures: plain arithmetic on pixels, no library needed.
#include <algorithm>

#include "brantic/picture.h"

namespace brantic {

Picture ScalePicture(const Picture& source, int32_t width, int32_t height) {
  Picture target = ScalePixels(source.pixels.data(), source.width, source.height, source.channels, width, height);
  target.sourceWidth = source.sourceWidth;
  target.sourceHeight = source.sourceHeight;
  return target;
}

Picture ScalePixels(const uint8_t* pixels, int32_t sourceWidth, int32_t sourceHeight, int32_t channels, int32_t width,
                    int32_t height) {
  Picture target;
  if (width <= 0 || height <= 0 || sourceWidth <= 0 || sourceHeight <= 0) return target;
  target.width = width;
  target.height = height;
  target.channels = channels;
  target.pixels.assign(size_t(width) * height * channels, 0);
  const int c = channels;
  for (int32_t y = 0; y < height; ++y) {
    const int32_t y0 = int32_t(int64_t(y) * sourceHeight / height);
    const int32_t y1 = std::max(y0 + 1, int32_t(int64_t(y + 1) * sourceHeight / height));
    for (int32_t x = 0; x < width; ++x) {
      const int32_t x0 = int32_t(int64_t(x) * sourceWidth / width);
      const int32_t x1 = std::max(x0 + 1, int32_t(int64_t(x + 1) * sourceWidth / width));
      uint32_t sums[4] = {};
      for (int32_t sy = y0; sy < y1; ++sy) {
        const uint8_t* row = pixels + (size_t(sy) * sourceWidth + x0) * c;
        for (int32_t sx = x0; sx < x1; ++sx, row += c) {
          for (int k = 0; k < c; ++k) sums[k] += row[k];
        }
      }
      const uint32_t count = uint32_t(y1 - y0) * uint32_t(x1 - x0);
      uint8_t* out = target.pixels.data() + (size_t(y) * width + x) * c;
      for (int k = 0; k < c; ++k) out[k] = uint8_t((sums[k] + count / 2) / count);
    }
  }
  return target;
}

}  // namespace brantic
