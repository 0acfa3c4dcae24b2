#include <sndfile.h>

#include <filesystem>
#include <fstream>

#include "collection/kvprobe.h"
#include "kestrova/module_fixture.h"
#include "preview/kvinfotext.h"
#include "support/media_fixtures.h"

using namespace kv;

namespace {

class MediaInfoTest : public kvtest::ModuleFixture {
 protected:
  // A found row for `file` with a size, a take and no node space.
  KvAssetEntry Row(const std::string& file, uint32_t type) {
    KvAssetEntry entry;
    entry.assetPath = bx3::Filename(file);
    entry.resolveResult = kResolveFound;
    entry.resolvedPath = brantic::String(file);
    entry.resolvedUrl = brantic::Url::FromSystemPath(file);
    entry.assetType = type;
    entry.fileSize = 1500;
    entry.takeName = brantic::String("Main");
    return entry;
  }
  std::string Common(const std::string& path) {
    return "\nFull Path: " + path + "\nFile Size: 1.5 KB\nTake: Main\nNode Space: -\n";
  }

  kvtest::TempFolder folder_;
};

TEST_F(MediaInfoTest, Pictures) {
  ASSERT_TRUE(kvtest::WriteImage(folder_ / "rgb.png", {}));
  ASSERT_TRUE(kvtest::WriteImage(folder_ / "grey.tif", {.channels = {"Y"}, .format = "uint16", .dpi = 72.0f}));
  const std::vector<std::string> layers = {"A", "B", "G", "R", "diffuse.B", "diffuse.G", "diffuse.R"};
  ASSERT_TRUE(kvtest::WriteImage(folder_ / "layers.exr", {.channels = layers, .format = "half", .alphaChannel = 0}));
  ASSERT_TRUE(kvtest::WriteBmp1555(folder_ / "packed.bmp", 8, 4));
  const std::pair<std::string, std::string> cases[] = {
      {"rgb.png",
       "Resolution: 64 x 32\nPixel format: RGB, 8 bits per channel\nLayers: 1\nAlpha: no\n"
       "Colour profile: sRGB IEC61966-2.1\n"},
      {"grey.tif",
       "Resolution: 64 x 32\nPixel format: Greyscale, 16 bits\nLayers: 1\nAlpha: no\n"
       "Colour profile: sRGB IEC61966-2.1\nPixel aspect ratio: 1\nDots per inch: 72\n"},
      {"layers.exr",
       "Resolution: 64 x 32\nPixel format: 7 Channels, 16 bits\nLayers: 2\nAlpha: yes\n"
       "Colour profile: sRGB IEC61966-2.1\nPixel aspect ratio: 1\n"},
      {"packed.bmp",
       "Resolution: 8 x 4\nPixel format: RGB with alpha, 5/5/5/1 bits per channel\nLayers: 1\nAlpha: yes\n"
       "Colour profile: sRGB IEC61966-2.1\nDots per inch: 72.01\n"},
  };
  for (const auto& [file, lines] : cases) {
    const std::string path = folder_ / file;
    EXPECT_EQ(BuildAssetInfoText(Row(path, ASSETTYPE_IMAGE), kGroupNone), lines + Common(path)) << file;
  }
  // A broken picture yields no media lines; the row simply shows less.
  kvtest::WriteBytes(folder_ / "broken.png", "\x89PNG\r\n\x1a\n");
  EXPECT_EQ(BuildAssetInfoText(Row(folder_ / "broken.png", ASSETTYPE_IMAGE), kGroupNone),
            Common(folder_ / "broken.png").substr(1));
  // A sequence whose pictures report no duration counts its frames.
  KvAssetEntry sequence = Row(folder_ / "rgb.png", ASSETTYPE_IMAGE);
  sequence.sequenceStart = 1;
  sequence.sequenceEnd = 100;
  EXPECT_THAT(BuildAssetInfoText(sequence, kGroupNone).Std(),
              testing::HasSubstr("Colour profile: sRGB IEC61966-2.1\nDuration: 100 F\n\n"));
}

TEST_F(MediaInfoTest, MovieSoundLightProfileAndMissingFile) {
  if (kvtest::WriteMovie(folder_ / "clip.mov")) {
    const std::string text = BuildAssetInfoText(Row(folder_ / "clip.mov", ASSETTYPE_VIDEO), kGroupNone).Std();
    EXPECT_EQ(text.rfind("Resolution: 64 x 48\nPixel format: 3 Channels, 8 bits\n", 0), 0u) << text;
    EXPECT_NE(text.find("\nDuration: 1 s, Frame rate: 25\n"), std::string::npos) << text;
  }

  ASSERT_TRUE(kvtest::WriteSound(folder_ / "tone.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2, 8000, 12000));
  EXPECT_EQ(BuildAssetInfoText(Row(folder_ / "tone.wav", ASSETTYPE_AUDIO), kGroupNone),
            "Duration: 1.5 s\nChannels: 2\nSample rate: 8000 Hz\nBit depth: 24 bits\n" + Common(folder_ / "tone.wav"));
  EXPECT_EQ(SoundDuration(bx3::SoundInformation{2, 16, 0.0, 5000}), brantic::TimeValue());

  auto document = std::make_unique<bx3::Document>();
  bx3::Element* light =
      document->InsertElement(bx3::Branch::Objects, bx3::CreateElement(bx3::type::kLightObject, "Spot"));
  light->SetParameter(90050, brantic::String("Lumen Works"));
  light->SetParameter(90052, brantic::String("LED 40 W"));
  bx3::AddDocument(std::move(document));
  KvAssetEntry profile = Row(folder_ / "spot.ies", ASSETTYPE_OTHER);
  profile.ownerLink.Set(light);
  // The element's descriptive texts, then what the profile file says; a damaged file in one
  // line (what used to go wrong: "The picture could not be read." for every profile).
  const std::string described =
      "Manufacturer:\nLumen Works\n\nLuminaire:\n\n\nLamp:\nLED 40 W\n\nTest:\n\n\nNotes:\n\n\n";
  kvtest::WriteBytes(
      folder_ / "spot.ies",
      "IESNA:LM-63-2002\nTILT=NONE\n1 1000 1 3 2 1 2 0 0 0\n1 1 40\n0 45 90\n0 90\n900 500 0\n800 300 0\n");
  EXPECT_EQ(BuildAssetInfoText(profile, kGroupNone),
            described +
                "Light profile: LM-63-2002, type C photometry\nIntensity: 900 cd at most\nAngles: 3 vertical, 2 "
                "horizontal\nLamps: 1 x 1000 lm\nInput power: 40 W\n" +
                Common(folder_ / "spot.ies"));
  kvtest::WriteBytes(folder_ / "spot.ies", "IESNA:LM-63-2002\nTILT=NONE\n1 1000 1 3 2 1 2 0 0 0\n");
  EXPECT_EQ(BuildAssetInfoText(profile, kGroupNone),
            described +
                "The light profile could not be read: line 4 of the light profile: the file ends before the "
                "ballast factor\n" +
                Common(folder_ / "spot.ies"));
  profile.ownerLink.Clear();  // neither link resolves: the text ends early
  EXPECT_EQ(BuildAssetInfoText(profile, kGroupNone), "");

  KvAssetEntry missing;
  missing.assetPath = bx3::Filename("tex/gone.png");
  missing.assetType = ASSETTYPE_IMAGE;
  EXPECT_EQ(BuildAssetInfoText(missing, kGroupNone),
            "<<Missing>>\n\nFull Path: -\nFile Size: 0 B\nTake: (none)\nNode Space: -\n");
  missing.resolveResult = kResolveFoundByName;  // found by name, but the resolved path is empty: no URL, no more text
  EXPECT_EQ(BuildAssetInfoText(missing, kGroupNone), "<<Found in a search folder>>\n\n");
}

TEST_F(MediaInfoTest, GroupModes) {
  ASSERT_TRUE(brantic::RegisterNodeSpace(brantic::Id("kv.test.space"), brantic::String("Test Renderer")).HasValue());
  KvAssetEntry entry = Row(folder_ / "missing.png", ASSETTYPE_IMAGE);
  entry.formatText = brantic::String("PNG");
  entry.elementName = brantic::String("Bitmap");
  entry.nodeSpace = brantic::Id("kv.test.space");
  const std::pair<int32_t, std::string> cases[] = {
      {kGroupByAssetType, "<<Type group>>\n\nType: Image"},
      {kGroupByFormat, "<<Format group>>\n\nFormat: PNG\nType: Image"},
      {kGroupByElementType, "<<Element type group>>\n\nElement Type: Bitmap"},
      {kGroupByLayer, "<<Layer group>>\n\nLayer: (no layer)"},
      {kGroupByTake, "<<Take group>>\n\nTake: Main"},
      {kGroupByNodeSpace, "<<Node space group>>\n\nNode Space: Test Renderer"},
      {kGroupByAsset, "<<File group>>\n\n\nFull Path: " + folder_ / "missing.png" +
                          "\nFile Size: 1.5 KB\nTake: Main\nNode Space: Test Renderer\n"},
  };
  for (const auto& [mode, text] : cases) EXPECT_EQ(BuildAssetInfoText(entry, mode), text) << mode;
  entry.takeName = brantic::String();
  entry.formatText = brantic::String();
  EXPECT_EQ(BuildAssetInfoText(entry, kGroupByTake), "<<Take group>>\n\nTake: (none)");
  EXPECT_EQ(BuildAssetInfoText(entry, kGroupByFormat), "<<Format group>>\n\nFormat: PNG\nType: Image");
}

TEST_F(MediaInfoTest, ProbeFillsSizeTypeFormatAndResolution) {
  ASSERT_TRUE(kvtest::WriteImage(folder_ / "rgb.png", {}));
  ASSERT_TRUE(kvtest::WriteImage(folder_ / "light.png", {}));
  std::filesystem::rename(folder_ / "light.png", folder_ / "light.ies");  // a picture named like a light profile
  ASSERT_TRUE(kvtest::WriteSound(folder_ / "sound.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 1, 8000, 800));
  kvtest::WriteBytes(folder_ / "cache.gi2", std::string(300, 'x'));
  kvtest::WriteBytes(folder_ / "broken.png", "\x89PNG\r\n");
  struct Case {
    std::string file;
    uint32_t before, after;
    const char* format;
    int64_t width;
  };
  const Case cases[] = {
      {"rgb.png", ASSETTYPE_IMAGE, ASSETTYPE_IMAGE, "PNG", 64},
      {"light.ies", ASSETTYPE_OTHER, ASSETTYPE_OTHER, "PNG", 64},
      {"sound.flac", ASSETTYPE_OTHER, ASSETTYPE_AUDIO, "raw FLAC", 0},
      {"cache.gi2", ASSETTYPE_CACHE, ASSETTYPE_CACHE, "gi2", 0},
      {"broken.png", ASSETTYPE_IMAGE, ASSETTYPE_IMAGE, "png", 0},
  };
  for (const Case& c : cases) {
    KvAssetEntry entry = Row(folder_ / c.file, c.before);
    entry.fileSize = -1;
    entry.formatText = entry.assetPath.GetSuffix();
    ProbeAssetFile(entry);
    std::ifstream file(folder_ / c.file, std::ios::binary | std::ios::ate);
    EXPECT_EQ(entry.fileSize, int64_t(file.tellg())) << c.file;
    EXPECT_EQ(entry.assetType, c.after) << c.file;
    EXPECT_EQ(entry.formatText, c.format) << c.file;
    EXPECT_EQ(entry.resolutionX, c.width) << c.file;
  }
  KvAssetEntry folderRow = Row(folder_.Path(), ASSETTYPE_OTHER);
  ProbeAssetFile(folderRow);
  EXPECT_EQ(folderRow.fileSize, 0);
  EXPECT_EQ(folderRow.resolutionX, 0);
}

// A file probed before and unchanged since is not read again; a changed one is.
TEST_F(MediaInfoTest, UnchangedFilesAreNotProbedAgain) {
  ASSERT_TRUE(kvtest::WriteImage(folder_ / "seen.png", {}));
  KvAssetEntry first = Row(folder_ / "seen.png", ASSETTYPE_IMAGE);
  KvProbeMemory memory;
  const KvProbeResult probed = ProbeRemembering(first, &memory);
  ASSERT_EQ(probed.resolutionX, 64);
  ASSERT_NE(probed.modified, 0);
  KvProbeResult remembered = probed;
  remembered.formatText = brantic::String("REMEMBERED");
  memory.emplace(first.resolvedUrl.GetPath().Std(), remembered);
  KvAssetEntry again = Row(folder_ / "seen.png", ASSETTYPE_IMAGE);
  EXPECT_EQ(ProbeRemembering(again, &memory).formatText, "REMEMBERED");
  ASSERT_TRUE(kvtest::WriteImage(folder_ / "seen.png", {.width = 32, .height = 32}));
  KvAssetEntry changed = Row(folder_ / "seen.png", ASSETTYPE_IMAGE);
  const KvProbeResult reread = ProbeRemembering(changed, &memory);
  EXPECT_NE(reread.formatText, "REMEMBERED");
  EXPECT_EQ(reread.resolutionX, 32);
}

}  // namespace
