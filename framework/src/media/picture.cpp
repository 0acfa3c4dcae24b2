// Pictures read in strips: the image library converts one strip of rows (or one row of
// tiles) at a time, which goes straight into the picture at its own size or into a reduced
// copy. What a strip or a tile needs is worked out from the header before anything is read,
// so a damaged header that asks for terabytes is refused instead of allocated.
#include "brantic/picture.h"

#include <OpenImageIO/deepdata.h>
#include <OpenImageIO/filesystem.h>
#include <OpenImageIO/imageio.h>

#include <algorithm>
#include <cmath>
#include <numeric>

#include "brantic/io.h"
#include "media_readers.h"
#include "picture_rows.h"

namespace brantic {

namespace {

// A strip holds about this much of the file's own data, and at most this many rows: EXR
// chunks of 16, 32 and 256 rows all divide it, so no chunk is decoded twice.
constexpr uint64_t kStripBytes = uint64_t{32} << 20;
constexpr int32_t kMaxStripRows = 256;
constexpr uint64_t kMaxDeepRowBytes = uint64_t{64} << 20;

// a × b × ..., or UINT64_MAX when it does not fit.
uint64_t Product(std::initializer_list<uint64_t> factors) {
  uint64_t product = 1;
  for (uint64_t factor : factors) {
    if (factor != 0 && product > UINT64_MAX / factor) return UINT64_MAX;
    product *= factor;
  }
  return product;
}

// The size to make of a picture of `width` × `height`, within the fit.
Result<PictureSize> TargetSize(int32_t width, int32_t height, const PictureFit& fit, const std::string& name) {
  const int64_t whole = std::min(fit.wholeUpTo, kMaxPicturePixels);
  if (int64_t(width) * height <= whole) return PictureSize{width, height};
  if (!fit.reducedSize) return IllegalArgumentError(name + ": the picture is too large to load");
  PictureSize size = fit.reducedSize(width, height);
  size.width = std::clamp(size.width, 1, width);
  size.height = std::clamp(size.height, 1, height);
  if (int64_t(size.width) * size.height > kMaxPicturePixels) {
    return IllegalArgumentError(name + ": the picture is too large to load");
  }
  return size;
}

// Moves to the smallest MIP level that is still at least `size`; answers its number.
int ChooseLevel(OIIO::ImageInput& input, PictureSize size) {
  int chosen = 0;
  for (int level = 1; level < 32 && input.seek_subimage(0, level); ++level) {
    const OIIO::ImageSpec& spec = input.spec();
    if (spec.width < size.width || spec.height < size.height) break;
    chosen = level;
  }
  input.seek_subimage(0, chosen);
  return chosen;
}

// Which channels of a deep picture hold colour, alpha and depth.
struct DeepChannels {
  int color[3] = {-1, -1, -1};
  int alpha = -1;
  int depth = -1;
};

DeepChannels FindDeepChannels(const OIIO::ImageSpec& spec) {
  DeepChannels found;
  int colors = 0;
  for (int c = 0; c < spec.nchannels; ++c) {
    const std::string& name = spec.channelnames[size_t(c)];
    const std::string last = name.substr(name.rfind('.') == std::string::npos ? 0 : name.rfind('.') + 1);
    if (last == "A") {
      found.alpha = c;
    } else if (last == "Z") {
      found.depth = c;
    } else if (last != "ZBack" && colors < 3) {
      found.color[colors++] = c;
    }
  }
  for (int& color : found.color) {
    if (color < 0) color = found.color[0];
  }
  return found;
}

uint8_t ToByte(float value) { return uint8_t(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f)); }

// One pixel of a deep picture made flat: its samples nearest first, each over what lies
// behind it (by alpha), or the nearest sample alone when there is no alpha.
void FlattenPixel(const OIIO::DeepData& deep, int64_t pixel, const DeepChannels& channels, uint8_t* out,
                  int outChannels, std::vector<int>& order) {
  const int samples = deep.samples(pixel);
  if (samples <= 1 || channels.color[0] < 0) {  // most pixels: nothing, or one surface
    const bool one = samples == 1 && channels.color[0] >= 0;
    for (int k = 0; k < 3; ++k) out[k] = one ? ToByte(deep.deep_value(pixel, channels.color[k], 0)) : 0;
    if (outChannels == 4)
      out[3] = one ? ToByte(channels.alpha >= 0 ? deep.deep_value(pixel, channels.alpha, 0) : 1.0f) : 0;
    return;
  }
  order.resize(size_t(samples));
  std::iota(order.begin(), order.end(), 0);
  if (channels.depth >= 0) {
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
      return deep.deep_value(pixel, channels.depth, a) < deep.deep_value(pixel, channels.depth, b);
    });
  }
  float color[3] = {0, 0, 0};
  float alpha = 0;
  for (int sample : order) {
    const float weight = channels.alpha >= 0 ? 1.0f - alpha : 1.0f;
    for (int k = 0; k < 3; ++k) color[k] += weight * deep.deep_value(pixel, channels.color[k], sample);
    alpha += weight * (channels.alpha >= 0 ? deep.deep_value(pixel, channels.alpha, sample) : 1.0f);
    if (channels.alpha < 0 || alpha >= 1.0f) break;
  }
  for (int k = 0; k < 3; ++k) out[k] = ToByte(color[k]);
  if (outChannels == 4) out[3] = ToByte(alpha);
}

// The source row (or column) in the middle of those that target row `index` stands for.
int32_t Middle(int32_t index, int32_t source, int32_t target) {
  const int32_t begin = int32_t(int64_t(index) * source / target);
  const int32_t end = std::max(begin + 1, int32_t(int64_t(index + 1) * source / target));
  return (begin + end - 1) / 2;
}

// Deep pictures are made flat row by row. Reduced, each pixel of the copy is the source pixel
// in the middle of those it stands for: a deep row can hold millions of samples, so only the
// rows the copy shows are read, and only the pixels it shows are made flat.
Result<void> ReadDeepPicture(OIIO::ImageInput& input, int level, Picture& picture, const std::string& name,
                             const PictureFit& fit) {
  const OIIO::ImageSpec spec = input.spec();
  if (spec.tile_width > 0) return IllegalArgumentError(name + ": deep tiled pictures are not read");
  // The image library reads a deep row whole and holds several times its samples meanwhile:
  // rows of more than kMaxDeepRowBytes at one sample a pixel are not read.
  if (Product({uint64_t(spec.width), uint64_t(spec.pixel_bytes(true)) + 4}) > kMaxDeepRowBytes) {
    return IllegalArgumentError(name + ": the picture's deep rows are too large to read");
  }
  const DeepChannels found = FindDeepChannels(spec);
  const bool whole = picture.width == spec.width && picture.height == spec.height;
  const int32_t channels = picture.channels;
  OIIO::DeepData deep;
  std::vector<int> order;
  for (int32_t row = 0; row < picture.height; ++row) {
    if (fit.stop && fit.stop()) return Error(ErrorKind::Cancelled, name + ": no longer wanted");
    const int32_t source = whole ? row : Middle(row, spec.height, picture.height);
    if (!input.read_native_deep_scanlines(0, level, spec.y + source, spec.y + source + 1, spec.z, 0, spec.nchannels,
                                          deep)) {
      return IoError(name + ": cannot read the pixels: " + input.geterror());
    }
    uint8_t* out = picture.pixels.data() + size_t(row) * size_t(picture.width) * size_t(channels);
    for (int32_t column = 0; column < picture.width; ++column) {
      const int64_t pixel = whole ? column : Middle(column, spec.width, picture.width);
      FlattenPixel(deep, pixel, found, out + size_t(column) * size_t(channels), channels, order);
    }
  }
  return OK();
}

Result<void> ReadRows(OIIO::ImageInput& input, int level, int32_t channels, media::PictureRows& rows,
                      const std::string& name, const PictureFit& fit) {
  const OIIO::ImageSpec spec = input.spec();
  const int sourceChannels = std::min(spec.nchannels, channels);
  const uint64_t pixelBytes = uint64_t(spec.pixel_bytes(true));
  const bool tiled = spec.tile_width > 0;
  int32_t strip = 0;
  uint64_t stripBytes = 0;  // at the file's own depth
  if (tiled) {
    const uint64_t tileBytes = Product(
        {uint64_t(spec.tile_width), uint64_t(spec.tile_height), uint64_t(std::max(spec.tile_depth, 1)), pixelBytes});
    const uint64_t across = (uint64_t(spec.width) + uint64_t(spec.tile_width) - 1) / uint64_t(spec.tile_width);
    strip = spec.tile_height;
    stripBytes = Product({tileBytes, across});
    if (tileBytes > kMaxDecodeBytes) return IllegalArgumentError(name + ": the picture's tiles are too large to read");
  } else {
    const uint64_t rowBytes = Product({uint64_t(spec.width), pixelBytes});
    strip = int32_t(std::clamp<uint64_t>(kStripBytes / std::max<uint64_t>(rowBytes, 1), 1, kMaxStripRows));
    stripBytes = Product({rowBytes, uint64_t(strip)});
  }
  if (strip <= 0 || stripBytes > kMaxDecodeBytes) {
    return IllegalArgumentError(name + ": the picture's rows are too large to read");
  }
  const OIIO::stride_t pixelStride = channels;
  const OIIO::stride_t rowStride = OIIO::stride_t(spec.width) * channels;
  std::vector<uint8_t> buffer(Product({uint64_t(strip), uint64_t(spec.width), uint64_t(channels)}));
  for (int32_t y = 0; y < spec.height; y += strip) {
    if (fit.stop && fit.stop()) return Error(ErrorKind::Cancelled, name + ": no longer wanted");
    const int32_t count = std::min(strip, spec.height - y);
    const bool read = tiled ? input.read_tiles(0, level, spec.x, spec.x + spec.width, spec.y + y, spec.y + y + count,
                                               spec.z, spec.z + std::max(spec.depth, 1), 0, sourceChannels,
                                               OIIO::TypeDesc::UINT8, buffer.data(), pixelStride, rowStride)
                            : input.read_scanlines(0, level, spec.y + y, spec.y + y + count, spec.z, 0, sourceChannels,
                                                   OIIO::TypeDesc::UINT8, buffer.data(), pixelStride, rowStride);
    if (!read) return IoError(name + ": cannot read the pixels: " + input.geterror());
    if (sourceChannels < 3) {  // grey (with or without a second channel): grey in all three
      for (size_t i = 0; i < size_t(count) * size_t(spec.width); ++i) {
        uint8_t* pixel = buffer.data() + i * size_t(channels);
        pixel[1] = pixel[2] = pixel[0];
      }
    }
    rows.Add(count, buffer.data(), size_t(rowStride));
  }
  return OK();
}

Result<Picture> ReadPicture(OIIO::ImageInput& input, const std::string& name, const PictureFit& fit) {
  const OIIO::ImageSpec& first = input.spec();
  if (first.width <= 0 || first.height <= 0 || first.nchannels <= 0) {
    return IllegalArgumentError(name + ": the picture has no pixels");
  }
  const int32_t sourceWidth = first.width;
  const int32_t sourceHeight = first.height;
  auto size = TargetSize(sourceWidth, sourceHeight, fit, name);
  if (!size) return size.GetError();
  const bool reduced = size->width != sourceWidth || size->height != sourceHeight;
  const int level = reduced ? ChooseLevel(input, *size) : 0;
  const OIIO::ImageSpec& spec = input.spec();
  Picture picture;
  picture.width = size->width;
  picture.height = size->height;
  picture.channels = spec.nchannels >= 4 && spec.alpha_channel >= 0 ? 4 : 3;
  picture.sourceWidth = sourceWidth;
  picture.sourceHeight = sourceHeight;
  picture.pixels.assign(size_t(picture.width) * size_t(picture.height) * size_t(picture.channels), 0);
  if (spec.deep) {
    const Result<void> read = ReadDeepPicture(input, level, picture, name, fit);
    if (!read) return read.GetError();
    return picture;
  }
  media::PictureRows rows(spec.width, spec.height, picture);
  const Result<void> read = ReadRows(input, level, picture.channels, rows, name, fit);
  if (!read) return read.GetError();
  return picture;
}

// Runs a read of the image library: whatever it throws (a damaged file can make it ask for
// more memory than there is) becomes an error of the file.
template <typename Read>
Result<Picture> Guarded(const std::string& name, Read read) {
  try {
    return read();
  } catch (const std::bad_alloc&) {
    return OutOfMemoryError(name + ": the picture asks for more memory than there is");
  } catch (const std::exception& error) {
    return IoError(name + ": cannot read the picture: " + error.what());
  }
}

}  // namespace

Result<Picture> media::LoadPictureFile(const Url& url, const PictureFit& fit) {
  if (DetectIo(url) != IoDetect::File) return IoError(url.GetSystemPath() + ": not a readable file");
  const std::string path = url.GetSystemPath();
  // Movies are decoded by the movie library itself, never by the image library's plug-in.
  const String name = url.GetName();
  const int64_t dot = name.FindLast(".");
  const std::string_view suffix = dot < 0 ? std::string_view() : name.View().substr(size_t(dot) + 1);
  if (!media::IsMovieLibrarySuffix(suffix)) {
    media::ConfigureImageLibrary();
    // The image library does not know the file: the movie library may (Unsupported).
    Result<Picture> picture = Guarded(path, [&]() -> Result<Picture> {
      auto input = OIIO::ImageInput::open(path);
      if (!input || std::string_view(input->format_name()) == "ffmpeg") {
        (void)OIIO::geterror();
        return Error(ErrorKind::Unsupported, path + ": not a picture the image library reads");
      }
      return ReadPicture(*input, path, fit);
    });
    if (picture || picture.GetError().Kind() != ErrorKind::Unsupported) return picture;
  }
  return media::DecodeFirstVideoFrame(path, fit);
}

Result<Picture> media::DecodePictureBytes(std::string_view bytes) {
  media::ConfigureImageLibrary();
  return Guarded("picture", [&]() -> Result<Picture> {
    OIIO::Filesystem::IOMemReader reader(bytes.data(), bytes.size());
    OIIO::ImageSpec config;
    OIIO::Filesystem::IOProxy* proxy = &reader;
    config.attribute("oiio:ioproxy", OIIO::TypeDesc::PTR, &proxy);
    // The format is found from the data; the name only picks the first plug-in to try.
    auto input = OIIO::ImageInput::open("memory.png", &config);
    if (!input) {
      const std::string error = OIIO::geterror();
      return IllegalArgumentError("not a picture: " + error);
    }
    return ReadPicture(*input, "picture", PictureFit{});
  });
}

}  // namespace brantic
