#include "bx3/bitmap.h"

#include <algorithm>
#include <new>

#include "brantic/io.h"
#include "brantic/picture.h"

namespace bx3 {

bool BaseBitmap::Init(int32_t width, int32_t height, int32_t bitsPerPixel) {
  if (width <= 0 || height <= 0 || (bitsPerPixel != 24 && bitsPerPixel != 32) ||
      int64_t(width) * height > brantic::kMaxPicturePixels) {
    return false;
  }
  try {
    pixels_.assign(size_t(width) * height * size_t(bitsPerPixel / 8), 0);
  } catch (const std::bad_alloc&) {
    FlushAll();
    return false;
  }
  width_ = width;
  height_ = height;
  channels_ = bitsPerPixel / 8;
  iconId_ = 0;
  reduced_ = false;
  return true;
}

ImageResult BaseBitmap::Init(const Filename& file, const brantic::PictureFit& fit) {
  const brantic::Url url = file.GetUrl();
  if (brantic::DetectIo(url) != brantic::IoDetect::File) return kImageResultNotExisting;
  return Take(brantic::LoadPicture(url, fit));
}

ImageResult BaseBitmap::InitFromMemory(std::string_view bytes) { return Take(brantic::DecodePicture(bytes)); }

ImageResult BaseBitmap::Take(brantic::Result<brantic::Picture> picture) {
  if (!picture) {
    switch (picture.GetError().Kind()) {
      case brantic::ErrorKind::OutOfMemory: return kImageResultOutOfMemory;
      case brantic::ErrorKind::Cancelled: return kImageResultCancelled;
      default: return kImageResultWrongType;
    }
  }
  width_ = picture->width;
  height_ = picture->height;
  channels_ = picture->channels;
  pixels_ = std::move(picture->pixels);
  iconId_ = 0;
  reduced_ = picture->width != picture->sourceWidth || picture->height != picture->sourceHeight;
  return kImageResultOk;
}

void BaseBitmap::FlushAll() {
  width_ = height_ = iconId_ = 0;
  reduced_ = false;
  channels_ = 3;
  std::vector<uint8_t>().swap(pixels_);
}

void BaseBitmap::SetPixel(int32_t x, int32_t y, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  uint8_t* pixel = pixels_.data() + (size_t(y) * width_ + x) * channels_;
  pixel[0] = r;
  pixel[1] = g;
  pixel[2] = b;
  if (channels_ == 4) pixel[3] = a;
}

void BaseBitmap::GetPixel(int32_t x, int32_t y, uint8_t& r, uint8_t& g, uint8_t& b) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) {
    r = g = b = 0;
    return;
  }
  const uint8_t* pixel = pixels_.data() + (size_t(y) * width_ + x) * channels_;
  r = pixel[0];
  g = pixel[1];
  b = pixel[2];
}

void BaseBitmap::Fill(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
  x1 = std::max(x1, 0);
  y1 = std::max(y1, 0);
  x2 = std::min(x2, width_ - 1);
  y2 = std::min(y2, height_ - 1);
  for (int32_t y = y1; y <= y2; ++y) {
    for (int32_t x = x1; x <= x2; ++x) SetPixel(x, y, r, g, b, a);
  }
}

void BaseBitmap::ScaleTo(BaseBitmap& target) const {
  if (IsEmpty() || target.IsEmpty()) return;
  brantic::Picture scaled =
      brantic::ScalePixels(pixels_.data(), width_, height_, channels_, target.width_, target.height_);
  if (scaled.channels != target.channels_) {
    // Convert between RGB and RGBA while copying.
    for (int32_t y = 0; y < target.height_; ++y) {
      for (int32_t x = 0; x < target.width_; ++x) {
        const uint8_t* p = scaled.pixels.data() + (size_t(y) * target.width_ + x) * scaled.channels;
        target.SetPixel(x, y, p[0], p[1], p[2], scaled.channels == 4 ? p[3] : 255);
      }
    }
    return;
  }
  target.pixels_ = std::move(scaled.pixels);
}

void BaseBitmap::CopyTo(BaseBitmap& target) const { target = *this; }

}  // namespace bx3
