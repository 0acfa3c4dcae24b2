// Pixels of pictures and of the first frame of movies, as 8-bit RGB or RGBA. Any thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "brantic/result.h"
#include "brantic/url.h"

namespace brantic {

struct Picture {
  int32_t width = 0;
  int32_t height = 0;
  int32_t channels = 0;         // 3 (RGB) or 4 (RGBA)
  std::vector<uint8_t> pixels;  // rows top to bottom, channels interleaved
  // The size the file gives: larger than width × height when it was reduced while read.
  int32_t sourceWidth = 0;
  int32_t sourceHeight = 0;
};

struct PictureSize {
  int32_t width = 0;
  int32_t height = 0;
};

// Pictures larger than this many pixels are never held whole.
inline constexpr int64_t kMaxPicturePixels = int64_t{1} << 28;
// The most one decode may ask for at once beside the picture it makes: a strip of rows or a
// tile at the file's own depth. Files whose header asks for more (a damaged tile size, say)
// are refused before the image library allocates anything for them.
inline constexpr uint64_t kMaxDecodeBytes = uint64_t{1} << 30;

// How a large picture is loaded.
struct PictureFit {
  // Pictures of up to this many pixels (at most kMaxPicturePixels) are loaded whole.
  int64_t wholeUpTo = kMaxPicturePixels;
  // Larger ones are reduced while they are read, strip by strip (or from a smaller level of
  // a MIP-mapped file), to the size this gives for their own size (a box filter, as
  // ScalePicture). Without it they are refused.
  std::function<PictureSize(int32_t width, int32_t height)> reducedSize;
  // Asked between strips: true ends the load with a Cancelled error (a newer request came).
  std::function<bool()> stop;
};

// Loads the first picture (or movie frame) of the file at `url`, reading pictures in strips
// so that the image library never holds the file whole. Damaged files, and files too large
// to read within kMaxDecodeBytes, are refused with an error; nothing is thrown.
Result<Picture> LoadPicture(const Url& url, const PictureFit& fit = {});
// Decodes a picture held in memory (a PNG, say).
Result<Picture> DecodePicture(std::string_view bytes);
// A copy scaled to `width` × `height` with a box filter (each target pixel averages the
// source pixels it covers).
Picture ScalePicture(const Picture& source, int32_t width, int32_t height);
// The same for pixels held elsewhere (`channels` bytes a pixel, rows one after another),
// without copying them first.
Picture ScalePixels(const uint8_t* pixels, int32_t sourceWidth, int32_t sourceHeight, int32_t channels, int32_t width,
                    int32_t height);

}  // namespace brantic
