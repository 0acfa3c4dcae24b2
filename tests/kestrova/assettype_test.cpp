#include <gtest/gtest.h>

#include "bx3/filename.h"
#include "kvassetentry.h"
#include "kvassettype.h"

using namespace kv;

TEST(AssetTypeTest, ClassificationByName) {
  struct Case {
    const char* path;
    uint32_t type;
  };
  const Case cases[] = {
      {"", ASSETTYPE_OTHER},
      {"/textures/", ASSETTYPE_OTHER},  // no file part
      {"noext", ASSETTYPE_OTHER},
      {".png", ASSETTYPE_OTHER},  // a hidden file, not a suffix
      {"/a/wood.jpg", ASSETTYPE_IMAGE},
      {"texture.TIF", ASSETTYPE_IMAGE},  // the host's suffix test ignores case
      {"plate.exr", ASSETTYPE_IMAGE},
      {"shot.qt", ASSETTYPE_IMAGE},  // listed as image, not as video
      {"clip.mov", ASSETTYPE_VIDEO},
      {"clip.M4V", ASSETTYPE_VIDEO},
      {"song.mp3", ASSETTYPE_AUDIO},
      {"sound.flac", ASSETTYPE_OTHER},
      {"cache.gi2", ASSETTYPE_CACHE},
      {"scene.gi", ASSETTYPE_OTHER},
      {"scene.bx3", ASSETTYPE_REFERENCED3D},
      {"sim.vdb", ASSETTYPE_REFERENCED3D},
      {"model.obj", ASSETTYPE_REFERENCED3D},
      {"part.CATPart", ASSETTYPE_REFERENCED3D},
      {"part.catpart", ASSETTYPE_REFERENCED3D},
      {"light.ies", ASSETTYPE_OTHER},
      {"dir.png/file", ASSETTYPE_OTHER},  // only the file part counts
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ClassifyAssetName(bx3::Filename(c.path)), c.type) << c.path;
    KvAssetEntry entry;
    entry.assetPath = bx3::Filename(c.path);
    entry.assetType = ASSETTYPE_INVALID;
    ClassifyAssetFile(entry);
    EXPECT_EQ(entry.assetType, c.type) << c.path;
  }
}

TEST(AssetTypeTest, SuffixListsDoNotOverlap) {
  const char* const samples[] = {"bmp",  "hdr", "pic", "jpg", "psd",  "png",    "gif", "rgb", "iff",
                                 "tif",  "qt",  "dpx", "exr", "tga",  "dds",    "avi", "mov", "mp4",
                                 "mpeg", "ts",  "wav", "mp3", "aiff", "gi2",    "wqn", "bx3", "abc",
                                 "xml",  "fbx", "stl", "vdb", "obj",  "SLDPrt", "p21"};
  for (const char* suffix : samples) {
    const bx3::Filename name(std::string("file.") + suffix);
    const int lists = IsImageFile(name) + IsVideoFile(name) + IsAudioFile(name) + IsExternalCacheFile(name) +
                      IsReferenced3DFile(name);
    EXPECT_EQ(lists, 1) << suffix;
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
  for (const Case& c : cases) {
    EXPECT_EQ(RefineAssetType(c.type, bx3::Filename(c.path), c.support), c.refined) << c.path;
  }
}
