#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>

#include "bx3/scenefile.h"
#include "support/temp_folder.h"
#include "support/unprivileged.h"
#include "test_scene.h"

using namespace bx3;

namespace {

class SceneFileTest : public ::testing::Test {
 protected:
  kvtest::TempFolder temp_;
  const std::string folder_ = temp_.Path();
};

// The whole catalogue of bad scenes runs as processes in the hostile-files test; here, the two
// ways a refusal names its place, read in process.
TEST_F(SceneFileTest, BadFilesAreRefusedWithFilePositionAndProblem) {
  const std::pair<const char*, const char*> cases[] = {
      {"{\"format\": \"bx3-scene\",\n \"version\": 1,,}", "bad.bx3: line 2, column 15: not a valid scene file"},
      {R"({"format": "bx3-scene", "version": 1, "objects": [{"id": 1, "type": "teapot"}]})",
       "bad.bx3: /objects/0/type: unknown element type \"teapot\""},
      // Ids far beyond the file's size are kept apart from the near ones, with the same checks.
      {R"({"format": "bx3-scene", "version": 1, "objects": [{"id": 9000000000, "type": "object.null"},
          {"id": 9000000000, "type": "object.null"}]})",
       "bad.bx3: /objects/1/id: duplicate id 9000000000"},
      {R"({"format": "bx3-scene", "version": 1, "objects": [{"id": 3, "type": "object.null", "layer": 9000000000}]})",
       "bad.bx3: /objects/0/layer: dangling link to element 9000000000"},
  };
  for (const auto& [text, message] : cases) {
    auto document = ParseDocument(text, "bad.bx3");
    ASSERT_FALSE(document.HasValue()) << text;
    EXPECT_NE(document.GetError().Message().find(message), std::string::npos) << document.GetError().Message();
  }
  EXPECT_FALSE(LoadDocument(folder_).HasValue());  // a folder is not a scene
  EXPECT_FALSE(LoadDocument(folder_ + "/missing.bx3").HasValue());
}

// Ids near the file's size sit in an array, far ones elsewhere; links find both.
TEST_F(SceneFileTest, FarAndNestedIdsFindTheirElements) {
  auto linked = ParseDocument(
      R"({"format": "bx3-scene", "version": 1, "layers": [{"id": 9000000000, "type": "layer"}, {"id": 2, "type": "layer"}],
          "objects": [{"id": 4097, "type": "object.null", "layer": 9000000000},
                      {"id": 1, "type": "object.null", "layer": 2}]})",
      "linked.bx3");
  ASSERT_TRUE(linked.HasValue()) << linked.GetError().Message();
  EXPECT_NE((*linked)->GetBranch(Branch::Objects)->GetChildren()[0]->GetLayer(), nullptr);
  // An element is made after its children: the ids they bring on the way must not lose it.
  auto parent = ParseDocument(
      R"({"format": "bx3-scene", "version": 1, "activeObject": 1,
          "objects": [{"id": 1, "type": "object.null", "children": [{"id": 4000, "type": "object.null"}]}]})",
      "parent.bx3");
  ASSERT_TRUE(parent.HasValue()) << parent.GetError().Message();
  ASSERT_NE((*parent)->GetActiveObject(), nullptr);
  EXPECT_EQ((*parent)->GetActiveObject()->GetChildren().size(), 1u);
}

TEST_F(SceneFileTest, RoundTripIsLosslessAndByteStable) {
  fixtures::TestScene scene;
  scene.document->SetPreviewPng(std::string("\x89PNG\r\n\x1a\n\0\xff", 10));
  const std::string first = SerializeDocument(*scene.document);
  auto loaded = ParseDocument(first, "scene.bx3");
  ASSERT_TRUE(loaded.HasValue()) << loaded.GetError().Message();
  EXPECT_EQ(SerializeDocument(**loaded), first);
  Document& doc = **loaded;
  EXPECT_EQ(doc.GetPreviewPng(), scene.document->GetPreviewPng());
  const auto& objects = doc.GetBranch(Branch::Objects)->GetChildren();
  ASSERT_EQ(objects.size(), 1u);
  EXPECT_EQ(objects[0]->GetLayer()->GetName(), "Props");
  EXPECT_EQ(objects[0]->GetChildren()[0]->GetTime(1004), brantic::TimeValue(0, 25));
  EXPECT_EQ(doc.GetActiveMaterial()->GetName(), "Wood");
  Element* bitmap = doc.GetActiveMaterial()->GetChildren()[0].get();
  ASSERT_EQ(doc.GetTakes().size(), 2u);
  EXPECT_NE(doc.GetTakes()[1]->FindOverride(bitmap, param::kBitmapFile), nullptr);
  EXPECT_NE(doc.GetActiveMaterial()->GetNodeGraph(brantic::Id("test.space")), nullptr);
  EXPECT_FALSE(doc.HasUnsavedChanges());
}

TEST_F(SceneFileTest, SaveIsAtomic) {
  fixtures::TestScene scene;
  const std::string path = folder_ + "/scene.bx3";
  ASSERT_TRUE(SaveDocument(*scene.document, path).HasValue());
  const std::string saved = kvtest::ReadBytes(path);
  auto loaded = LoadDocument(path);
  ASSERT_TRUE(loaded.HasValue());
  EXPECT_EQ((*loaded)->GetFolder().GetString(), folder_);
  ASSERT_TRUE(SaveDocument(**loaded, path).HasValue());
  EXPECT_EQ(kvtest::ReadBytes(path), saved);

  // A save that cannot replace its target leaves the target as it was and no stray file.
  const std::string blocked = folder_ + "/blocked.bx3";
  ::mkdir(blocked.c_str(), 0755);
  std::ofstream(blocked + "/keep") << "x";
  EXPECT_FALSE(SaveDocument(**loaded, blocked).HasValue());
  EXPECT_TRUE(std::filesystem::is_directory(blocked));
  EXPECT_FALSE(SaveDocument(**loaded, folder_ + "/no/such/folder.bx3").HasValue());
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder_)) ++entries;
  EXPECT_EQ(entries, 2);  // scene.bx3 and blocked.bx3
}

// A limit on the size of files this process writes, lifted again when it goes; the signal the
// kernel sends on passing it is ignored so that the write fails instead.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) : oldHandler_(std::signal(SIGXFSZ, SIG_IGN)) {
    ::getrlimit(RLIMIT_FSIZE, &old_);
    const rlimit limited{bytes, old_.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit old_{};
  void (*oldHandler_)(int);
};

TEST_F(SceneFileTest, FailedWritesKeepTheFileTheyWouldReplace) {
  const std::string big(64 * 1024, 'n');
  const auto halfThenFail = [&](const ChunkWriter& write) { return write(big.substr(0, 10)) && false; };
  const auto whole = [&](const ChunkWriter& write) { return write(big); };
  struct Case {
    const char* name;
    std::function<brantic::Result<void>(const std::string& path)> write;
  };
  const std::vector<Case> cases = {
      {"the producer stops midway", [&](const std::string& path) { return WriteFileAtomically(path, halfThenFail); }},
      {"the file size limit is reached",
       [&](const std::string& path) {
         FileSizeLimit limit(4096);
         return WriteFileAtomically(path, whole);
       }},
      {"the folder cannot be written",
       [&](const std::string& path) {
         const std::string folder = std::filesystem::path(path).parent_path();
         ::chmod(folder.c_str(), 0555);
         brantic::Result<void> result = [&] {
           kvtest::UnprivilegedFileAccess asNobody;
           return WriteFileAtomically(path, whole);
         }();
         ::chmod(folder.c_str(), 0777);
         return result;
       }},
  };
  for (const Case& c : cases) {
    for (const bool throughLink : {false, true}) {
      const std::string folder = folder_ + "/" + std::to_string(&c - cases.data()) + (throughLink ? "-link" : "");
      std::filesystem::create_directories(folder);
      ::chmod(folder.c_str(), 0777);  // the unprivileged case may still enter it
      std::string path = folder + "/scene.bx3";
      std::ofstream(path) << "as it was";
      if (throughLink) {
        ::symlink("scene.bx3", (folder + "/link.bx3").c_str());
        path = folder + "/link.bx3";
      }
      const auto written = c.write(path);
      EXPECT_FALSE(written.HasValue()) << c.name;
      EXPECT_EQ(kvtest::ReadBytes(folder + "/scene.bx3"), "as it was") << c.name;
      if (throughLink) {
        EXPECT_TRUE(std::filesystem::is_symlink(path)) << c.name;
      }
      for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        EXPECT_EQ(entry.path().filename().string().find(".partial-"), std::string::npos) << c.name;
      }
    }
  }
}

TEST(Base64Test, RoundTripAndErrors) {
  for (const std::string& bytes :
       {std::string(), std::string("a"), std::string("ab"), std::string("abc"), std::string("\0\xff\x10", 3)}) {
    EXPECT_EQ(*DecodeBase64(EncodeBase64(bytes)), bytes);
  }
  EXPECT_EQ(EncodeBase64("hello"), "aGVsbG8=");
  EXPECT_FALSE(DecodeBase64("abc").HasValue());
  EXPECT_FALSE(DecodeBase64("ab=c").HasValue());
  EXPECT_FALSE(DecodeBase64("a$bc").HasValue());
}

}  // namespace
