#include <sys/stat.h>

#include <fstream>

#include <gtest/gtest.h>
#include <sndfile.h>

#include "brantic/formatnames.h"
#include "brantic/formatsniff.h"
#include "brantic/imagetexture.h"
#include "brantic/media.h"
#include "brantic/picture.h"
#include "brantic/pictureheader.h"
#include "support/media_fixtures.h"

using namespace brantic;

namespace {

struct Detected {
  int handlers = 0;
  FileFormatHandlerType type = FileFormatHandlerType::Other;
  MediaInputProperties properties;
  String name;
  std::shared_ptr<const ImageTexture> description;
};

Detected Detect(const std::string& path) {
  Detected detected;
  auto result =
      DetectFileFormats(Url::FromSystemPath(path), [&](const Url&, const FileFormatHandler& handler) -> Result<bool> {
        ++detected.handlers;
        detected.type = handler.GetHandlerType();
        auto input = handler.CreateMediaInput(Url());
        if (input) detected.properties = input->Properties();
        detected.name = handler.GetFormatName();
        detected.description = handler.Description();
        return true;
      });
  EXPECT_TRUE(result.HasValue()) << path;
  return detected;
}

TEST(MediaTest, PictureDescriptions) {
  kvtest::TempFolder folder;
  struct Case {
    std::string file;
    kvtest::ImageFile image;
    int32_t channels, bitsPerPixel;
    PixelFormatGroup group;
    int32_t layers;
    bool alpha;
    const char* format;
  };
  const kvtest::ImageFile rgba{.channels = {"R", "G", "B", "A"}, .alphaChannel = 3};
  const Case cases[] = {
      {"rgb.png", {}, 3, 24, PixelFormatGroup::RGB, 1, false, "PNG"},
      {"rgba.png", rgba, 4, 32, PixelFormatGroup::RGBA, 1, true, "PNG"},
      {"flat.exr", {.format = "half"}, 3, 48, PixelFormatGroup::RGB, 1, false, "OpenEXR"},
      {"rgbx.tif", {.channels = {"R", "G", "B", "X"}}, 4, 32, PixelFormatGroup::RGBX, 1, false, "TIFF"},
  };
  for (const Case& c : cases) {
    const std::string path = folder / c.file;
    ASSERT_TRUE(kvtest::WriteImage(path, c.image)) << c.file;
    const Detected detected = Detect(path);
    ASSERT_EQ(detected.handlers, 1) << c.file;
    EXPECT_EQ(detected.type, FileFormatHandlerType::MediaInput);
    EXPECT_TRUE(detected.properties.supportsImage) << c.file;
    EXPECT_FALSE(detected.properties.supportsVideo || detected.properties.supportsAudio) << c.file;
    EXPECT_EQ(detected.name, c.format);
    // A missing file of the same kind is named by its suffix alike.
    EXPECT_EQ(FormatNameOfSuffix(c.file.substr(c.file.rfind('.') + 1)), c.format) << c.file;
    auto texture = LoadImageTexture(Url::FromSystemPath(path));
    ASSERT_TRUE(texture.HasValue()) << c.file;
    const ImagePicture* picture = texture->FirstPicture();
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->width, 64);
    EXPECT_EQ(picture->height, 32);
    EXPECT_EQ(picture->pixelFormat.channelCount, c.channels) << c.file;
    EXPECT_EQ(picture->pixelFormat.bitsPerPixel, c.bitsPerPixel) << c.file;
    EXPECT_EQ(picture->pixelFormat.group, c.group) << c.file;
    EXPECT_EQ(picture->layerCount, c.layers) << c.file;
    EXPECT_EQ(picture->hasAlpha, c.alpha) << c.file;
    EXPECT_TRUE(texture->duration.IsZero());
  }
}

TEST(MediaTest, ResolutionProfileAndPackedPixels) {
  kvtest::TempFolder folder;
  const kvtest::ImageFile dpi{.dpi = 300.0f};
  ASSERT_TRUE(kvtest::WriteImage(folder / "dpi.tif", dpi));
  EXPECT_DOUBLE_EQ(LoadImageTexture(Url::FromSystemPath(folder / "dpi.tif"))->FirstPicture()->dpi, 300.0);
  ASSERT_TRUE(kvtest::WriteImage(folder / "dpi.png", dpi));  // PNG stores pixels per metre
  EXPECT_DOUBLE_EQ(LoadImageTexture(Url::FromSystemPath(folder / "dpi.png"))->FirstPicture()->dpi, 300.0);

  ASSERT_TRUE(kvtest::WriteImage(folder / "icc.png", {.iccProfile = kvtest::MakeIccProfile("Kestrova Test RGB")}));
  EXPECT_EQ(LoadImageTexture(Url::FromSystemPath(folder / "icc.png"))->FirstPicture()->colorProfile,
            "Kestrova Test RGB");
  EXPECT_TRUE(LoadImageTexture(Url::FromSystemPath(folder / "dpi.png"))->FirstPicture()->colorProfile.IsEmpty());
  EXPECT_EQ(GetDefaultColorProfileText(), "sRGB IEC61966-2.1");

  ASSERT_TRUE(kvtest::WriteBmp1555(folder / "packed.bmp", 8, 4));
  auto packed = LoadImageTexture(Url::FromSystemPath(folder / "packed.bmp"));
  ASSERT_TRUE(packed.HasValue());
  EXPECT_EQ(packed->FirstPicture()->pixelFormat.channelCount, 1);
  EXPECT_EQ(packed->FirstPicture()->pixelFormat.bitsPerPixel, 16);
  EXPECT_EQ(packed->FirstPicture()->pixelFormat.packed, PackedPixelFormat::ARGB1555);
}

TEST(MediaTest, MoviesAndSounds) {
  kvtest::TempFolder folder;
  ASSERT_TRUE(kvtest::WriteSound(folder / "tone.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 8000, 4000));
  Detected sound = Detect(folder / "tone.wav");
  ASSERT_EQ(sound.handlers, 1);
  EXPECT_TRUE(sound.properties.supportsAudio);
  EXPECT_FALSE(sound.properties.supportsImage || sound.properties.supportsVideo);
  EXPECT_FALSE(LoadImageTexture(Url::FromSystemPath(folder / "tone.wav")).HasValue());  // no picture
  EXPECT_EQ(FormatNameOfSuffix("WAV"), sound.name);

  if (!kvtest::WriteMovie(folder / "clip.mov")) GTEST_SKIP() << "no ffmpeg tool to make a movie";
  Detected movie = Detect(folder / "clip.mov");
  ASSERT_EQ(movie.handlers, 1);
  EXPECT_TRUE(movie.properties.supportsVideo);
  EXPECT_FALSE(movie.properties.supportsImage);
  EXPECT_EQ(movie.name, "QuickTime / MOV");
  EXPECT_EQ(FormatNameOfSuffix("mov"), movie.name);
  // Its size, pixel format, duration and rate: the information text test reads them.
  auto frame = LoadPicture(Url::FromSystemPath(folder / "clip.mov"));
  ASSERT_TRUE(frame.HasValue());
  EXPECT_EQ(frame->width, 64);
}

// Bad media never crash, hang or block: each gives no handler (or a header only) and the
// caller simply shows less.
TEST(MediaTest, BadMedia) {
  kvtest::TempFolder folder;
  ASSERT_TRUE(kvtest::WriteImage(folder / "good.png", {}));
  const std::string bytes = kvtest::ReadBytes(folder / "good.png");
  kvtest::WriteBytes(folder / "empty.png", "");
  kvtest::WriteBytes(folder / "truncated.png", bytes.substr(0, 20));
  kvtest::WriteBytes(folder / "corrupt.exr", "v/1\x01" + std::string(200, '\x7f'));
  kvtest::WriteBytes(folder / "noise.mov", std::string(4096, '\x42'));
  ::mkfifo((folder / "pipe.png").c_str(), 0644);
  for (const std::string& path :
       {folder / "empty.png", folder / "truncated.png", folder / "corrupt.exr", folder / "noise.mov",
        folder / "pipe.png", folder.Path(), std::string("/dev/zero"), folder / "missing.png"}) {
    EXPECT_EQ(Detect(path).handlers, 0) << path;
    EXPECT_FALSE(LoadImageTexture(Url::FromSystemPath(path)).HasValue()) << path;
    EXPECT_FALSE(LoadPicture(Url::FromSystemPath(path)).HasValue()) << path;
  }
  // A header that declares 100,000 × 100,000 pixels is described, never loaded.
  ASSERT_TRUE(kvtest::WritePngHeaderOnly(folder / "huge.png", 100000, 100000));
  auto huge = LoadImageTexture(Url::FromSystemPath(folder / "huge.png"));
  if (huge.HasValue()) {
    EXPECT_EQ(huge->FirstPicture()->width, 100000);
  }
  EXPECT_FALSE(LoadPicture(Url::FromSystemPath(folder / "huge.png")).HasValue());
}

// Every format the libraries write is known by its first bytes (or its suffix), so that files
// of no media format can be turned away before a reader is tried.
TEST(MediaTest, FormatsAreSniffedFromTheirFirstBytes) {
  kvtest::TempFolder folder;
  std::vector<std::string> written;
  for (const char* suffix : {"png", "jpg", "tif", "exr", "bmp", "tga", "hdr", "dpx", "ppm", "sgi"}) {
    const std::string path = folder / (std::string("p.") + suffix);
    if (kvtest::WriteImage(path, {})) written.push_back(path);
  }
  ASSERT_GE(written.size(), 8u);
  for (const auto& [name, format] :
       {std::pair{"s.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16}, std::pair{"s.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
        std::pair{"s.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16}}) {
    ASSERT_TRUE(kvtest::WriteSound(folder / name, format, 1, 8000, 800)) << name;
    written.push_back(folder / name);
  }
  if (kvtest::WriteMovie(folder / "m.mov")) written.push_back(folder / "m.mov");
  const auto head = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes(kSniffBytes, '\0');
    in.read(bytes.data(), std::streamsize(bytes.size()));
    bytes.resize(size_t(in.gcount()));
    return bytes;
  };
  for (const std::string& path : written) {
    const std::string suffix = path.substr(path.rfind('.') + 1);
    EXPECT_TRUE(SniffMedia(head(path)) == SniffedMedia::Signature || SuffixMayLackSignature(suffix)) << path;
    EXPECT_EQ(Detect(path).handlers, 1) << path;
  }
  // Empty files and files of other kinds under media names: no reader is asked.
  const std::pair<std::string, std::string> foreign[] = {
      {"empty.png", ""},
      {"text.png", "not a picture at all, just some words\n"},
      {"archive.exr", std::string("PK\x03\x04", 4) + std::string(60, 'x')},
      {"scene.jpg", R"({"format": "bx3-scene", "version": 1})"},
      {"notes.mov", "#!/bin/sh\necho hello\n"},
  };
  for (const auto& [name, bytes] : foreign) {
    kvtest::WriteBytes(folder / name, bytes);
    EXPECT_EQ(SniffMedia(bytes), bytes.empty() ? SniffedMedia::Empty : SniffedMedia::Unknown) << name;
    EXPECT_EQ(Detect(folder / name).handlers, 0) << name;
  }
  EXPECT_TRUE(SuffixMayLackSignature("TGA"));
  EXPECT_FALSE(SuffixMayLackSignature("png"));
}

// A PNG's size read without the readers is theirs; any header out of the ordinary is left to
// them (so a damaged picture is still found damaged).
TEST(MediaTest, PngHeadersReadWithoutTheReadersAgreeWithThem) {
  kvtest::TempFolder folder;
  const kvtest::ImageFile pictures[] = {
      {},
      {.width = 1, .height = 1, .channels = {"Y"}},
      {.width = 3000, .height = 2, .channels = {"R", "G", "B", "A"}, .format = "uint16", .alphaChannel = 3},
      {.width = 5, .height = 7, .dpi = 300.0f, .iccProfile = kvtest::MakeIccProfile("Display P3")},
  };
  std::string plain;
  for (size_t i = 0; i < std::size(pictures); ++i) {
    const std::string path = folder / ("p" + std::to_string(i) + ".png");
    ASSERT_TRUE(kvtest::WriteImage(path, pictures[i]));
    if (i == 0) plain = kvtest::ReadBytes(path);
    const auto native = ReadPictureHeader(path);
    const auto readers = LoadImageTexture(Url::FromSystemPath(path));
    ASSERT_TRUE(native && readers) << path;
    EXPECT_EQ(native->formatName, readers->formatName) << path;
    EXPECT_EQ(native->width, readers->FirstPicture()->width) << path;
    EXPECT_EQ(native->height, readers->FirstPicture()->height) << path;
  }
  // The plain picture's chunks after its header, and its header with other values.
  const std::string signature = plain.substr(0, 8), rest = plain.substr(8 + 25);
  const auto header = [&](uint32_t width, uint8_t depth, uint8_t colorType) {
    std::string data;
    for (const uint32_t value : {width, uint32_t(32)}) {
      for (int shift = 24; shift >= 0; shift -= 8) data += char((value >> shift) & 0xff);
    }
    return kvtest::PngChunk("IHDR", data + char(depth) + char(colorType) + std::string(3, '\0'));
  };
  std::string badChecksum = plain;
  badChecksum[8 + 20] ^= 1;
  std::string badAncillary = kvtest::PngChunk("tEXt", "Comment\0x");
  badAncillary[badAncillary.size() - 1] ^= 1;
  const std::pair<const char*, std::string> deferred[] = {
      {"header checksum", badChecksum},
      {"cut in its header", plain.substr(0, 20)},
      {"no width", signature + header(0, 8, 2) + rest},
      {"wider than the readers take", signature + header(2000000, 8, 2) + rest},
      {"a depth of 3", signature + header(64, 3, 2) + rest},
      {"a palette without its colours", signature + header(64, 8, 3) + rest},
      {"a damaged text", signature + header(64, 8, 2) + badAncillary + rest},
      {"an unknown critical chunk", signature + header(64, 8, 2) + kvtest::PngChunk("ABCD", "x") + rest},
      {"its end first", signature + header(64, 8, 2) + kvtest::PngChunk("IEND", "")},
  };
  for (const auto& [what, bytes] : deferred) EXPECT_FALSE(ParsePictureHeader(bytes)) << what;
  // Chunks before the pixels that go beyond the first read are read on.
  const std::string path = folder / "long.png";
  kvtest::WriteBytes(
      path, signature + header(64, 8, 2) + kvtest::PngChunk("tEXt", "Comment" + std::string(20000, 'x')) + rest);
  const auto native = ReadPictureHeader(path);
  const auto readers = LoadImageTexture(Url::FromSystemPath(path));
  ASSERT_TRUE(native && readers);
  EXPECT_EQ(native->width, readers->FirstPicture()->width);
}

TEST(MediaTest, IccDescriptions) {
  const std::vector<uint8_t> profile = kvtest::MakeIccProfile("Display P3");
  EXPECT_EQ(IccProfileDescription(profile.data(), profile.size()), "Display P3");
  EXPECT_TRUE(IccProfileDescription(profile.data(), 100).IsEmpty());
  std::vector<uint8_t> broken = profile;
  broken[128 + 4 + 4 + 3] = 0xff;  // tag offset beyond the data
  EXPECT_TRUE(IccProfileDescription(broken.data(), broken.size()).IsEmpty());
  EXPECT_TRUE(IccProfileDescription(nullptr, 0).IsEmpty());
}

}  // namespace
