#include <gtest/gtest.h>

#include "bx3/filename.h"
#include "collection/kvassetentry.h"
#include "collection/kvassettype.h"

using namespace kv;

TEST(AssetTypeTest, ClassificationByName) {
  struct Case {
    const char* path;
    uint32_t type;
    const char* format;  // the format text before the file is read (null: not checked)
  };
  const Case cases[] = {
      {"", ASSETTYPE_OTHER, nullptr},
      {"/textures/", ASSETTYPE_OTHER, nullptr},  // no file part
      {"noext", ASSETTYPE_OTHER, nullptr},
      {".png", ASSETTYPE_OTHER, nullptr},  // a hidden file, not a suffix
      {"/a/wood.jpg", ASSETTYPE_IMAGE, "JPEG"},
      {"texture.TIF", ASSETTYPE_IMAGE, "TIFF"},  // the host's suffix test ignores case
      {"plate.exr", ASSETTYPE_IMAGE, "OpenEXR"},
      {"shot.qt", ASSETTYPE_IMAGE, "qt"},  // listed as image, not as video
      {"clip.mov", ASSETTYPE_VIDEO, "QuickTime / MOV"},
      {"clip.M4V", ASSETTYPE_VIDEO, "QuickTime / MOV"},
      {"song.mp3", ASSETTYPE_AUDIO, "MP2/3 (MPEG audio layer 2/3)"},
      {"sound.flac", ASSETTYPE_OTHER, "raw FLAC"},
      {"cache.gi2", ASSETTYPE_CACHE, "gi2"},
      {"scene.gi", ASSETTYPE_OTHER, nullptr},
      {"scene.bx3", ASSETTYPE_REFERENCED3D, "bx3"},
      {"sim.vdb", ASSETTYPE_REFERENCED3D, nullptr},
      {"model.obj", ASSETTYPE_REFERENCED3D, "obj"},
      {"part.CATPart", ASSETTYPE_REFERENCED3D, nullptr},
      {"part.catpart", ASSETTYPE_REFERENCED3D, nullptr},
      {"light.ies", ASSETTYPE_OTHER, "ies"},
      {"dir.png/file", ASSETTYPE_OTHER, nullptr},  // only the file part counts
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ClassifyAssetName(bx3::Filename(c.path)), c.type) << c.path;
    KvAssetEntry entry;
    entry.assetPath = bx3::Filename(c.path);
    entry.assetType = ASSETTYPE_INVALID;
    ClassifyAssetFile(entry);
    EXPECT_EQ(entry.assetType, c.type) << c.path;
    // What used to go wrong: a missing file read "png" or "exr", a probed one "PNG" or
    // "OpenEXR", and grouping by format split one format in two.
    if (c.format) {
      EXPECT_EQ(FormatTextOfName(bx3::Filename(c.path)), c.format) << c.path;
    }
  }
}

TEST(AssetTypeTest, MediaRefinement) {
  struct Case {
    const char* path;
    uint32_t type;
    KvMediaSupport support;
    uint32_t refined;
  };
  const Case cases[] = {
      {"clip.mov", ASSETTYPE_VIDEO, {true, true, false}, ASSETTYPE_VIDEO},  // video is tested first
      {"frame.png", ASSETTYPE_IMAGE, {true, false, false}, ASSETTYPE_VIDEO},
      {"sound.flac", ASSETTYPE_OTHER, {false, false, true}, ASSETTYPE_AUDIO},
      {"picture.webp", ASSETTYPE_OTHER, {false, true, false}, ASSETTYPE_IMAGE},
      {"light.ies", ASSETTYPE_OTHER, {false, true, false}, ASSETTYPE_OTHER},
      {"light.IES", ASSETTYPE_OTHER, {false, true, true}, ASSETTYPE_AUDIO},
      {"sim.vdb", ASSETTYPE_REFERENCED3D, {true, true, true}, ASSETTYPE_REFERENCED3D},
      {"cache.gi2", ASSETTYPE_CACHE, {true, true, true}, ASSETTYPE_CACHE},
      {"notes.txt", ASSETTYPE_OTHER, {}, ASSETTYPE_OTHER},
  };
  for (const Case& c : cases) EXPECT_EQ(RefineAssetType(c.type, bx3::Filename(c.path), c.support), c.refined) << c.path;
}
