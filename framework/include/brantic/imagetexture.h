// Descriptions of pictures and movies, read from file headers without their pixels.
// Any thread.
#pragma once

#include <cstdint>
#include <vector>

#include "brantic/result.h"
#include "brantic/string.h"
#include "brantic/time.h"
#include "brantic/url.h"

namespace brantic {

class FileFormatHandler;

// How the channels of a pixel are laid out.
enum class PixelFormatGroup : int32_t {
  Alpha,
  Grey,
  GreyAlpha,
  RGB,
  RGBA,
  BGR,
  BGRX,
  ARGB,
  BGRA,
  Indexed,
  RGBX,
  Other,
};

// 16-bit pixels that pack all channels into one: 5 bits per colour with a 1-bit alpha, or
// 4 bits per channel.
enum class PackedPixelFormat : int32_t { None, ARGB1555, ABGR1555, ARGB4444, ABGR4444 };

struct PixelFormat {
  int32_t channelCount = 0;  // 1 for packed and indexed pixels
  int32_t bitsPerPixel = 0;
  PixelFormatGroup group = PixelFormatGroup::Other;
  PackedPixelFormat packed = PackedPixelFormat::None;
};

// The picture of a file: the first child of the image level.
struct ImagePicture {
  int64_t width = 0;
  int64_t height = 0;
  PixelFormat pixelFormat;
  int32_t layerCount = 0;
  bool hasAlpha = false;
  double aspectRatio = 0.0;  // pixel aspect ratio; 0 when the file does not say
  double dpi = 0.0;          // 0 when the file does not say
  String colorProfile;       // the file's profile description; empty when it has none
};

struct ImageTexture {
  std::vector<ImagePicture> pictures;  // the image level; empty for files without pictures
  TimeValue duration;                  // movies; 0 for still pictures
  double framesPerSecond = 0.0;
  String formatName;  // "PNG", "OpenEXR", "QuickTime / MOV", ...

  const ImagePicture* FirstPicture() const { return pictures.empty() ? nullptr : &pictures.front(); }
};

// Flags for LoadImageTexture.
enum ImageLoadFlags : int32_t { kImageLoadDescriptionOnly = 1 };

// Reads the description of the picture or movie at `url` at `time` (only time 0 is
// supported), without pixels. Fails for files without a picture (sounds). When `handler`
// came from detecting the same URL, its header is used and the file is not read again.
Result<ImageTexture> LoadImageTexture(const Url& url, TimeValue time = {}, int32_t flags = kImageLoadDescriptionOnly,
                                      const FileFormatHandler* handler = nullptr);

// The colour profile pictures without their own profile are taken to have.
String GetDefaultColorProfileText();

// The description text of an ICC profile ("desc" tag, version 2 or 4); empty when the data is
// not a profile or has no description.
String IccProfileDescription(const uint8_t* data, size_t size);

}  // namespace brantic
