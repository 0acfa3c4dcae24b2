// Host bitmaps: pixel buffers that load pictures, scale and copy. A bitmap belongs to one
// thread at a time (a worker may fill it, then hand it over).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "brantic/picture.h"
#include "brantic/result.h"
#include "bx3/filename.h"

namespace bx3 {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

// Answers of BaseBitmap::Init from a file.
enum ImageResult : int32_t {
  kImageResultOk = 1,
  kImageResultNotExisting = -1,
  kImageResultWrongType = -2,
  kImageResultOutOfMemory = -3,
  kImageResultCancelled = -4,  // the fit's stop answered true
};

class BaseBitmap {
 public:
  BaseBitmap() = default;

  // A blank 24-bit (or 32-bit) bitmap of that size; false for a bad size.
  bool Init(int32_t width, int32_t height, int32_t bitsPerPixel = 24);
  // Loads the first picture or movie frame of `file`; a large picture is reduced while it is
  // read as `fit` says (see brantic::LoadPicture).
  ImageResult Init(const Filename& file, const brantic::PictureFit& fit = {});
  // Decodes a picture held in memory (a scene's stored preview).
  ImageResult InitFromMemory(std::string_view bytes);
  // Frees the pixels; the bitmap is 0 × 0 afterwards.
  void FlushAll();

  int32_t GetBw() const { return width_; }
  int32_t GetBh() const { return height_; }
  int32_t GetBt() const { return channels_ * 8; }
  bool IsEmpty() const { return width_ == 0 || height_ == 0; }
  const std::vector<uint8_t>& Pixels() const { return pixels_; }
  int32_t Channels() const { return channels_; }
  // True when the last load reduced the file's picture while reading it.
  bool WasReduced() const { return reduced_; }

  // Pixel access; out of range is ignored (Set) or black (Get).
  void SetPixel(int32_t x, int32_t y, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255);
  void GetPixel(int32_t x, int32_t y, uint8_t& r, uint8_t& g, uint8_t& b) const;
  void Fill(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255);

  // Scales this bitmap into `target` (its size decides), averaging the covered pixels.
  void ScaleTo(BaseBitmap& target) const;
  // `target` becomes a copy of this bitmap.
  void CopyTo(BaseBitmap& target) const;
  // The host icon this bitmap shows; 0 for other pictures.
  int32_t GetIconId() const { return iconId_; }
  void SetIconId(int32_t id) { iconId_ = id; }
  bool operator==(const BaseBitmap&) const = default;

 private:
  ImageResult Take(brantic::Result<brantic::Picture> picture);

  int32_t width_ = 0;
  int32_t height_ = 0;
  int32_t channels_ = 3;
  int32_t iconId_ = 0;
  bool reduced_ = false;
  std::vector<uint8_t> pixels_;
};

}  // namespace bx3
