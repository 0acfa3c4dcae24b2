#include <gtest/gtest.h>
#include <sndfile.h>

#include "bx3/bitmap.h"
#include "bx3/host.h"
#include "bx3/icons.h"
#include "bx3/scenefile.h"
#include "bx3/sound.h"
#include "support/media_fixtures.h"

using namespace bx3;

namespace {

TEST(BitmapTest, LoadScaleCopyClear) {
  kvtest::TempFolder folder;
  ASSERT_TRUE(kvtest::WriteImage(folder / "a.png", {.width = 40, .height = 20}));
  BaseBitmap bitmap;
  ASSERT_EQ(bitmap.Init(Filename(folder / "a.png")), kImageResultOk);
  EXPECT_EQ(bitmap.GetBw(), 40);
  EXPECT_EQ(bitmap.GetBh(), 20);
  EXPECT_EQ(bitmap.GetBt(), 24);
  EXPECT_EQ(bitmap.Init(Filename(folder / "missing.png")), kImageResultNotExisting);
  EXPECT_EQ(bitmap.Init(Filename(folder.Path())), kImageResultNotExisting);
  kvtest::WriteBytes(folder / "text.png", "not a picture");
  EXPECT_EQ(bitmap.Init(Filename(folder / "text.png")), kImageResultWrongType);

  BaseBitmap source;
  ASSERT_TRUE(source.Init(4, 2));
  source.Fill(0, 0, 1, 1, 200, 0, 0);
  source.Fill(2, 0, 3, 1, 0, 0, 100);
  BaseBitmap half;
  ASSERT_TRUE(half.Init(2, 1));
  source.ScaleTo(half);
  uint8_t r, g, b;
  half.GetPixel(0, 0, r, g, b);
  EXPECT_EQ(r, 200);
  half.GetPixel(1, 0, r, g, b);
  EXPECT_EQ(b, 100);
  BaseBitmap copy;
  source.CopyTo(copy);
  EXPECT_TRUE(copy == source);
  copy.FlushAll();
  EXPECT_TRUE(copy.IsEmpty());
  EXPECT_FALSE(copy.Init(0, 5));
  EXPECT_FALSE(copy.Init(100000, 100000));
}

TEST(SoundTest, InformationAndWaveForm) {
  kvtest::TempFolder folder;
  struct Case {
    std::string file;
    int format, channels, rate, frames, bits;
  };
  const Case cases[] = {
      {"a.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 8000, 4000, 16},
      {"b.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 1, 22050, 22050, 24},
      {"c.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 1, 44100, 1000, 16},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(kvtest::WriteSound(folder / c.file, c.format, c.channels, c.rate, c.frames)) << c.file;
    BaseSound sound;
    ASSERT_TRUE(sound.Load(Filename(folder / c.file))) << c.file;
    const SoundInformation info = sound.GetSoundInfo();
    EXPECT_EQ(info.channels, c.channels) << c.file;
    EXPECT_EQ(info.bitsPerSample, c.bits) << c.file;
    EXPECT_EQ(info.sampleRate, c.rate) << c.file;
    EXPECT_EQ(info.sampleCount, c.frames) << c.file;
  }
  // MP3 where libsndfile was built with an encoder to make one.
  if (kvtest::WriteSound(folder / "d.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 1, 44100, 44100)) {
    BaseSound mp3;
    ASSERT_TRUE(mp3.Load(Filename(folder / "d.mp3")));
    EXPECT_EQ(mp3.GetSoundInfo().sampleRate, 44100);
    EXPECT_EQ(mp3.GetSoundInfo().bitsPerSample, 16);
  }
  BaseSound sound;
  ASSERT_TRUE(sound.Load(Filename(folder / "a.wav")));
  BaseBitmap wave;
  ASSERT_TRUE(wave.Init(50, 20));
  ASSERT_TRUE(sound.GetBitmap(wave, {}, brantic::TimeValue(1, 2), Rgb{255, 255, 255}, Rgb{0, 0, 0}));
  int lit = 0;
  for (int x = 0; x < 50; ++x) {
    for (int y = 0; y < 20; ++y) {
      uint8_t r, g, b;
      wave.GetPixel(x, y, r, g, b);
      lit += r == 255;
    }
  }
  EXPECT_GT(lit, 50);    // a line in every column at least
  EXPECT_LT(lit, 1000);  // and not a filled box
  EXPECT_FALSE(BaseSound().GetBitmap(wave, {}, {}, {}, {}));
  EXPECT_FALSE(sound.Load(Filename(folder.Path())));
  EXPECT_FALSE(sound.Load(Filename(folder / "missing.wav")));
}

TEST(IconTest, EveryIconTheInspectorDrawsExists) {
  // The status, fold and filter icons, then every asset kind's.
  std::vector<int32_t> ids = {icon::kStatusFound,       icon::kStatusMissing,     icon::kStatusFoundElsewhere,
                              icon::kStatusPartlyFound, icon::kStatusUnreachable, icon::kFoldClosed,
                              icon::kFoldOpen,          icon::kNoLayer,           icon::kFilterShown,
                              icon::kFilterHidden};
  for (int32_t kind = icon::kAssetImage; kind <= icon::kAssetTileSet; ++kind) ids.push_back(kind);
  for (int32_t id : ids) {
    BaseBitmap bitmap;
    ASSERT_TRUE(GetIcon(id, bitmap)) << id;
    EXPECT_EQ(bitmap.GetBw(), kIconSize);
    EXPECT_EQ(bitmap.GetBt(), 32);
  }
  for (const TypeInfo& type : GetTypes()) EXPECT_TRUE(HasIcon(type.id)) << type.name;
  BaseBitmap missing;
  EXPECT_FALSE(GetIcon(42, missing));
  auto layer = CreateElement(type::kLayer, "Red");
  layer->SetParameter(1000, brantic::String("#ff0000"));
  BaseBitmap layerIcon;
  ASSERT_TRUE(GetElementIcon(*layer, layerIcon));
  uint8_t r, g, b;
  layerIcon.GetPixel(8, 8, r, g, b);
  EXPECT_EQ(r, 255);
  EXPECT_EQ(g, 0);
}

TEST(ScenePreviewTest, StoredPreviewAndFallback) {
  kvtest::TempFolder folder;
  ASSERT_TRUE(kvtest::WriteImage(folder / "p.png", {.width = 12, .height = 8}));
  Document document;
  document.SetPreviewPng(kvtest::ReadBytes(folder / "p.png"));
  ASSERT_TRUE(SaveDocument(document, folder / "with.bx3").HasValue());
  Document plain;
  ASSERT_TRUE(SaveDocument(plain, folder / "without.bx3").HasValue());
  BaseBitmap preview;
  ASSERT_TRUE(LoadScenePreview(Filename(folder / "with.bx3"), preview));
  EXPECT_EQ(preview.GetBw(), 12);
  EXPECT_FALSE(LoadScenePreview(Filename(folder / "without.bx3"), preview));
  EXPECT_FALSE(LoadScenePreview(Filename(folder / "p.png"), preview));
}

}  // namespace
