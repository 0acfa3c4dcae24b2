// Pictures read in strips: whole, reduced while read, deep, stopped, and damaged files that
// must be refused without the image library asking for more memory than there is.
#include <OpenImageIO/imageio.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "brantic/imagetexture.h"
#include "brantic/picture.h"
#include "support/media_fixtures.h"

using namespace brantic;

namespace {

// The picture as the image library reads it whole into 8-bit RGB(A): what strips must add up to.
Picture ReadWhole(const std::string& path, int level = 0) {
  auto input = OIIO::ImageInput::open(path);
  EXPECT_TRUE(input) << path;
  if (!input) return {};
  input->seek_subimage(0, level);
  const OIIO::ImageSpec& spec = input->spec();
  Picture picture;
  picture.width = picture.sourceWidth = spec.width;
  picture.height = picture.sourceHeight = spec.height;
  picture.channels = spec.nchannels >= 4 && spec.alpha_channel >= 0 ? 4 : 3;
  picture.pixels.assign(size_t(spec.width) * spec.height * picture.channels, 0);
  const int channels = std::min(spec.nchannels, picture.channels);
  EXPECT_TRUE(input->read_image(0, level, 0, channels, OIIO::TypeDesc::UINT8, picture.pixels.data(), picture.channels));
  if (channels < 3) {
    for (size_t i = 0; i < picture.pixels.size(); i += 3)
      picture.pixels[i + 1] = picture.pixels[i + 2] = picture.pixels[i];
  }
  return picture;
}

PictureFit ReduceTo(int32_t width, int32_t height) {
  PictureFit fit;
  fit.wholeUpTo = 100;
  fit.reducedSize = [width, height](int32_t, int32_t) { return PictureSize{width, height}; };
  return fit;
}

bool Same(const Picture& a, const Picture& b) {
  return a.width == b.width && a.height == b.height && a.channels == b.channels && a.pixels == b.pixels;
}

TEST(PictureTest, StripsAddUpToTheWholePictureAndToItsReducedCopy) {
  kvtest::TempFolder folder;
  // More than one strip of 256 rows; tiles that do not divide the picture.
  const kvtest::ImageFile scanlines{.width = 300, .height = 700, .format = "half"};
  const kvtest::ImageFile tiled{.width = 300, .height = 700, .format = "half", .tileWidth = 64, .tileHeight = 48};
  const kvtest::ImageFile offset{.width = 300, .height = 700, .format = "half", .originX = -20, .originY = 35};
  const kvtest::ImageFile rgba{
      .width = 300, .height = 700, .channels = {"R", "G", "B", "A"}, .format = "half", .alphaChannel = 3};
  const kvtest::ImageFile grey{.width = 90, .height = 61, .channels = {"Y"}};
  const std::pair<const char*, kvtest::ImageFile> cases[] = {{"scanlines.exr", scanlines}, {"tiled.exr", tiled},
                                                             {"offset.exr", offset},       {"rgba.exr", rgba},
                                                             {"grey.png", grey},           {"tiled.tif", tiled}};
  for (const auto& [name, image] : cases) {
    const std::string path = folder / name;
    ASSERT_TRUE(kvtest::WriteImage(path, image)) << name;
    const Picture reference = ReadWhole(path);
    auto whole = LoadPicture(Url::FromSystemPath(path));
    ASSERT_TRUE(whole) << name << ": " << whole.GetError().Message();
    EXPECT_TRUE(Same(*whole, reference)) << name;
    auto reduced = LoadPicture(Url::FromSystemPath(path), ReduceTo(image.width / 7, image.height / 6));
    ASSERT_TRUE(reduced) << name << ": " << reduced.GetError().Message();
    EXPECT_TRUE(Same(*reduced, ScalePicture(reference, image.width / 7, image.height / 6))) << name;
    EXPECT_EQ(reduced->sourceWidth, image.width) << name;
    EXPECT_EQ(reduced->sourceHeight, image.height) << name;
  }

  // A MIP-mapped file is reduced from its smallest level that is still large enough.
  ASSERT_TRUE(kvtest::WriteImage(folder / "mip.exr", {.width = 320, .height = 200, .format = "half", .mipmap = true}));
  auto fromLevel = LoadPicture(Url::FromSystemPath(folder / "mip.exr"), ReduceTo(70, 45));
  ASSERT_TRUE(fromLevel) << fromLevel.GetError().Message();
  EXPECT_TRUE(Same(*fromLevel, ScalePicture(ReadWhole(folder / "mip.exr", 2), 70, 45)));  // 80 × 50
  EXPECT_EQ(fromLevel->sourceWidth, 320);

  // A reader that is no longer wanted stops between strips.
  PictureFit stopped = ReduceTo(10, 10);
  stopped.stop = [] { return true; };
  auto stop = LoadPicture(Url::FromSystemPath(folder / "scanlines.exr"), stopped);
  ASSERT_FALSE(stop);
  EXPECT_EQ(stop.GetError().Kind(), ErrorKind::Cancelled);
  // Without a reduced size a large picture is refused.
  PictureFit small;
  small.wholeUpTo = 100;
  EXPECT_FALSE(LoadPicture(Url::FromSystemPath(folder / "scanlines.exr"), small));
}

TEST(PictureTest, DeepPicturesAreMadeFlat) {
  kvtest::TempFolder folder;
  ASSERT_TRUE(kvtest::WriteDeepImage(folder / "deep.exr", 7, 3));
  auto flat = LoadPicture(Url::FromSystemPath(folder / "deep.exr"));
  ASSERT_TRUE(flat) << flat.GetError().Message();
  ASSERT_EQ(flat->width, 7);
  ASSERT_EQ(flat->channels, 4);
  const auto pixel = [&](int x) {
    return std::vector<int>(flat->pixels.begin() + 4 * x, flat->pixels.begin() + 4 * x + 4);
  };
  EXPECT_EQ(pixel(0), (std::vector<int>{204, 102, 51, 255}));  // the surface alone
  EXPECT_EQ(pixel(1), (std::vector<int>{166, 115, 89, 255}));  // the veil over it, whatever their stored order
  EXPECT_EQ(pixel(6), (std::vector<int>{0, 0, 0, 0}));         // no sample
  // Reduced while read, as the flat picture would be.
  ASSERT_TRUE(kvtest::WriteDeepImage(folder / "wide.exr", 600, 9));
  auto whole = LoadPicture(Url::FromSystemPath(folder / "wide.exr"));
  ASSERT_TRUE(whole) << whole.GetError().Message();
  // Reduced while read: the pixel in the middle of those each one stands for.
  auto reduced = LoadPicture(Url::FromSystemPath(folder / "wide.exr"), ReduceTo(150, 2));
  ASSERT_TRUE(reduced) << reduced.GetError().Message();
  ASSERT_EQ(reduced->width, 150);
  ASSERT_EQ(reduced->height, 2);
  for (int32_t row = 0; row < 2; ++row) {
    for (int32_t column = 0; column < 150; ++column) {
      const size_t at = (size_t(row) * 150 + column) * 4;
      const size_t from = (size_t(row == 0 ? 1 : 6) * 600 + size_t(column * 4 + 1)) * 4;  // of rows 0-3 and 4-8
      ASSERT_TRUE(
          std::equal(reduced->pixels.begin() + at, reduced->pixels.begin() + at + 4, whole->pixels.begin() + from))
          << row << ", " << column;
    }
  }
  // A header that makes a deep row millions of pixels wide is not read.
  ASSERT_TRUE(
      kvtest::PatchExrAttribute(folder / "deep.exr", "dataWindow", kvtest::LittleEndian32({0, 0, 8166271, 22})));
  auto huge = LoadPicture(Url::FromSystemPath(folder / "deep.exr"), ReduceTo(900, 1));
  ASSERT_FALSE(huge);
  EXPECT_NE(huge.GetError().Message().find("too large to read"), std::string::npos) << huge.GetError().Message();
}

// What used to go wrong: a damaged header made the image library ask for more memory than
// the machine has (a tile of 65,536 × 65,536 pixels in a picture of 64 × 64), and the
// allocation failure took the program down.
TEST(PictureTest, DamagedPicturesAreRefusedNotThrown) {
  kvtest::TempFolder folder;
  ASSERT_TRUE(kvtest::WriteImage(folder / "plain.exr", {.width = 64, .height = 64, .format = "half"}));
  ASSERT_TRUE(kvtest::WriteImage(folder / "tiled.exr",
                                 {.width = 64, .height = 64, .format = "half", .tileWidth = 16, .tileHeight = 16}));
  using kvtest::LittleEndian32;
  struct Damage {
    const char *name, *from;
    std::function<bool(const std::string&)> apply;
  };
  const auto exrField = [](const char* field, std::string value) {
    return [field, value](const std::string& path) { return kvtest::PatchExrAttribute(path, field, value); };
  };
  const auto truncate = [](size_t bytes) {
    return [bytes](const std::string& path) {
      std::filesystem::resize_file(path, bytes);
      return true;
    };
  };
  const Damage damages[] = {
      {"huge-tiles.exr", "tiled.exr", exrField("tiles", LittleEndian32({65536, 65536}) + std::string(1, '\0'))},
      {"huge-ripmap.exr", "tiled.exr", exrField("tiles", LittleEndian32({40000, 40000}) + std::string(1, '\2'))},
      {"huge-window.exr", "plain.exr", exrField("dataWindow", LittleEndian32({0, 0, 0x3fffffff, 0x3fffffff}))},
      {"wide-window.exr", "plain.exr", exrField("dataWindow", LittleEndian32({0, 0, 200000000, 63}))},
      {"odd-window.exr", "plain.exr", exrField("dataWindow", LittleEndian32({0x80000000, 0, 63, 63}))},
      {"cut.exr", "plain.exr", truncate(400)},
      {"cut-tiles.exr", "tiled.exr", truncate(700)},
  };
  for (const Damage& damage : damages) {
    const std::string path = folder / damage.name;
    std::filesystem::copy_file(folder / damage.from, path);
    ASSERT_TRUE(damage.apply(path)) << damage.name;
    EXPECT_FALSE(LoadPicture(Url::FromSystemPath(path))) << damage.name;
    EXPECT_FALSE(LoadPicture(Url::FromSystemPath(path), ReduceTo(8, 8))) << damage.name;
    (void)LoadImageTexture(Url::FromSystemPath(path));  // the header alone
  }
  auto tiles = LoadPicture(Url::FromSystemPath(folder / "huge-tiles.exr"));
  ASSERT_FALSE(tiles);
  EXPECT_NE(tiles.GetError().Message().find("too large to read"), std::string::npos) << tiles.GetError().Message();
}

}  // namespace
