#include "brantic/picture.h"

#include <OpenImageIO/filesystem.h>
#include <OpenImageIO/imageio.h>

#include <algorithm>

#include "brantic/io.h"
#include "media_readers.h"

namespace brantic {

namespace {

Result<Picture> ReadFirstPicture(OIIO::ImageInput& input, const std::string& name) {
  const OIIO::ImageSpec& spec = input.spec();
  if (spec.width <= 0 || spec.height <= 0 || spec.nchannels <= 0) {
    return IllegalArgumentError(name + ": the picture has no pixels");
  }
  if (int64_t(spec.width) * spec.height > kMaxPicturePixels) {
    return IllegalArgumentError(name + ": the picture is too large to load");
  }
  Picture picture;
  picture.width = spec.width;
  picture.height = spec.height;
  picture.channels = spec.nchannels >= 4 && spec.alpha_channel >= 0 ? 4 : 3;
  const int sourceChannels = std::min(spec.nchannels, picture.channels);
  picture.pixels.assign(size_t(picture.width) * picture.height * picture.channels, 0);
  // Read the first channels straight into the buffer, with the buffer's channel stride.
  const OIIO::stride_t pixelStride = picture.channels;
  if (!input.read_image(0, 0, 0, sourceChannels, OIIO::TypeDesc::UINT8, picture.pixels.data(),
                        pixelStride)) {
    const std::string error = input.geterror();
    return IoError(name + ": cannot read the pixels: " + error);
  }
  if (sourceChannels < 3) {  // grey (with or without a second channel): grey in all three
    for (size_t i = 0; i < picture.pixels.size(); i += 3) {
      picture.pixels[i + 1] = picture.pixels[i + 2] = picture.pixels[i];
    }
  }
  return picture;
}

}  // namespace

Result<Picture> LoadPicture(const Url& url) {
  if (DetectIo(url) != IoDetect::File) return IoError(url.GetSystemPath() + ": not a readable file");
  const std::string path = url.GetSystemPath();
  // Movies are decoded by the movie library itself, never by the image library's plug-in.
  const String name = url.GetName();
  const int64_t dot = name.FindLast(".");
  const std::string_view suffix = dot < 0 ? std::string_view() : name.View().substr(size_t(dot) + 1);
  if (!media::IsMovieLibrarySuffix(suffix)) {
    auto input = OIIO::ImageInput::open(path);
    if (input && std::string_view(input->format_name()) != "ffmpeg") return ReadFirstPicture(*input, path);
    (void)OIIO::geterror();
  }
  return media::DecodeFirstVideoFrame(path);
}

Result<Picture> DecodePicture(std::string_view bytes) {
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
  return ReadFirstPicture(*input, "picture");
}

Picture ScalePicture(const Picture& source, int32_t width, int32_t height) {
  Picture target;
  if (width <= 0 || height <= 0 || source.width <= 0 || source.height <= 0) return target;
  target.width = width;
  target.height = height;
  target.channels = source.channels;
  target.pixels.assign(size_t(width) * height * target.channels, 0);
  const int c = source.channels;
  for (int32_t y = 0; y < height; ++y) {
    const int32_t y0 = int32_t(int64_t(y) * source.height / height);
    const int32_t y1 = std::max(y0 + 1, int32_t(int64_t(y + 1) * source.height / height));
    for (int32_t x = 0; x < width; ++x) {
      const int32_t x0 = int32_t(int64_t(x) * source.width / width);
      const int32_t x1 = std::max(x0 + 1, int32_t(int64_t(x + 1) * source.width / width));
      uint32_t sums[4] = {};
      for (int32_t sy = y0; sy < y1; ++sy) {
        const uint8_t* row = source.pixels.data() + (size_t(sy) * source.width + x0) * c;
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
