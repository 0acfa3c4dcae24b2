#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>

#include "bx3/host.h"
#include "bx3/prefs.h"
#include "collection/kvresolve.h"
#include "support/temp_folder.h"

using namespace kv;
using bx3::Filename;

namespace {

// proj/               the document folder
//   wood.jpg, tex/wood.jpg, tex/maps/stone.jpg, tex/bark.jpg
// lib1/, lib2/        texture search paths of the preferences, in this order
class ResolveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(root_ + "/lib2/sub");
    for (const char* file : {"/proj/wood.jpg", "/proj/tex/wood.jpg", "/proj/tex/maps/stone.jpg", "/proj/tex/bark.jpg",
                             "/lib1/metal.png", "/lib2/metal.png", "/lib2/only2.png", "/proj/caf\xe9\xff.png"}) {
      kvtest::WriteBytes(root_ + file, "x");
    }
    ::symlink("missing-target.png", (project_ + "/dangling.png").c_str());
    ::symlink("loop.png", (project_ + "/loop.png").c_str());
    bx3::InitializeHost();
    bx3::Preferences::Get().SetTextureSearchPaths(
        {{Filename(root_ + "/lib1"), true}, {Filename(root_ + "/off"), false}, {Filename(root_ + "/lib2"), true}});
  }
  void TearDown() override {
    bx3::Preferences::Get().Reset();
    bx3::CloseAllDocuments();
  }

  int32_t Resolve(const std::string& path, Filename& resolved, bool bitmap = false) {
    return ResolveAssetPath(Filename(project_), Filename(path), nullptr, resolved, bitmap);
  }

  kvtest::TempFolder temp_;
  const std::string root_ = temp_.Path();
  const std::string project_ = root_ + "/proj";
};

TEST_F(ResolveTest, ResultCodes) {
  struct Case {
    std::string path;
    bool bitmap;
    int32_t result;
    std::string resolved;  // "" when it must stay untouched
  };
  const std::string lib1 = root_ + "/lib1";
  const std::string lib2 = root_ + "/lib2";
  const Case cases[] = {
      {project_ + "/wood.jpg", false, kResolveFound, project_ + "/wood.jpg"},
      {"wood.jpg", false, kResolveFound, project_ + "/wood.jpg"},                  // below the first folder
      {"maps/stone.jpg", false, kResolveFound, project_ + "/tex/maps/stone.jpg"},  // below the second
      {"tex/../wood.jpg", false, kResolveFound, project_ + "/wood.jpg"},
      {"/gone/metal.png", false, kResolveFoundByName, lib1 + "/metal.png"},  // first folder that has it
      {"/gone/only2.png", false, kResolveFoundByName, lib2 + "/only2.png"},
      {"old/bark.jpg", true, kResolveBuiltByHost, project_ + "/tex/bark.jpg"},
      {"old/bark.jpg", false, kResolveFoundByName, project_ + "/tex/bark.jpg"},
      {"/elsewhere/bark.jpg", true, kResolveFoundByName, project_ + "/tex/bark.jpg"},  // only relative paths are built
      {"", false, kResolveMissing, ""},
      {"missing.png", false, kResolveMissing, ""},
      {"sub", false, kResolveMissing, ""},              // lib2/sub is a folder
      {project_ + "/tex", false, kResolveMissing, ""},  // a folder is never a file
      {"tex/wood.jpg/", false, kResolveMissing, ""},    // a trailing separator names a folder
      {"..", false, kResolveMissing, ""},
      {"dangling.png", false, kResolveMissing, ""},
      {"loop.png", false, kResolveMissing, ""},
      {std::string(4000, 'a') + ".png", false, kResolveMissing, ""},
      {"caf\xe9\xff.png", false, kResolveFound, project_ + "/caf\xe9\xff.png"},  // bytes, not text
  };
  for (const Case& c : cases) {
    Filename resolved("untouched");
    EXPECT_EQ(Resolve(c.path, resolved, c.bitmap), c.result) << c.path.substr(0, 60);
    EXPECT_EQ(resolved.GetString(), c.resolved.empty() ? "untouched" : c.resolved) << c.path.substr(0, 60);
  }
}

TEST_F(ResolveTest, TexturesOpenForPainting) {
  auto document = std::make_unique<bx3::Document>();
  document->SetPaintTextures({Filename("paint/new.png"), Filename("paint/notes.txt")});
  bx3::AddDocument(std::move(document));
  Filename resolved("untouched");
  EXPECT_EQ(Resolve("paint/new.png", resolved), kResolvePaintTexture);
  EXPECT_EQ(resolved.GetString(), "untouched");
  // Only image files count, and only when the names are equal as the file system sees them.
  EXPECT_EQ(Resolve("paint/notes.txt", resolved), kResolveMissing);
  EXPECT_EQ(Resolve("paint/NEW.png", resolved), kResolveMissing);
}

// A missing path made absolute below the document's folder is known to stay missing only where
// nothing else can find it; where that is said, resolving it says so too.
TEST_F(ResolveTest, AMissingPathJoinedToTheDocumentFolderStaysMissing) {
  KvResolveScope scope{Filename(project_)};
  KvResolveContext context = scope.Context();
  const std::vector<Filename> painted = {Filename(project_ + "/paint/held.png")};
  struct Case {
    std::string written, anchored;
    bool staysMissing;
  };
  const Case cases[] = {
      {"tex/gone.png", project_ + "/tex/gone.png", true},
      {"gone.png", project_ + "/gone.png", true},
      {"tex/gone.png", root_ + "/lib1/tex/gone.png", false},    // not below the document's folder
      {project_ + "/gone.png", project_ + "/gone.png", false},  // absolute already
      {"tex/../gone.png", project_ + "/tex/../gone.png", false},
      {"$(TEXTURES)/gone.png", project_ + "/$(TEXTURES)/gone.png", false},
      {"tex/wall.<UDIM>.png", project_ + "/tex/wall.<UDIM>.png", false},
      {"paint/held.png", project_ + "/paint/held.png", false},  // held open for painting by that name
  };
  for (const Case& c : cases) {
    context.paintTextures = &painted;
    EXPECT_EQ(AnchoredStaysMissing(Filename(c.written), Filename(c.anchored), Filename(project_), context),
              c.staysMissing)
        << c.written;
    if (c.staysMissing) {
      Filename resolved;
      EXPECT_EQ(ResolveAssetPathIn(Filename(project_), context, Filename(c.written), resolved, true), kResolveMissing);
      EXPECT_EQ(ResolveAssetPathIn(Filename(project_), context, Filename(c.anchored), resolved, true), kResolveMissing);
    }
  }
  // Without the document's folder among the places looked in, nothing is said.
  const std::vector<brantic::Url> elsewhere = {Filename(root_ + "/lib1").GetUrl()};
  context.searchFolders = &elsewhere;
  EXPECT_FALSE(
      AnchoredStaysMissing(Filename("gone.png"), Filename(project_ + "/gone.png"), Filename(project_), context));
}

TEST_F(ResolveTest, UnsavedDocumentsUseThePreferenceFoldersOnly) {
  Filename resolved;
  EXPECT_EQ(ResolveAssetPath(Filename(), Filename("metal.png"), nullptr, resolved, true), kResolveFound);
  EXPECT_EQ(resolved.GetString(), root_ + "/lib1/metal.png");
  // Nothing lies inside the folder of an unsaved document, so the host builds nothing.
  EXPECT_EQ(ResolveAssetPath(Filename(), Filename("x/only2.png"), nullptr, resolved, true), kResolveFoundByName);
  EXPECT_EQ(ResolveAssetPath(Filename(), Filename("wood.jpg"), nullptr, resolved, false), kResolveMissing);
}

}  // namespace
