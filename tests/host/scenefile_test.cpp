#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "bx3/scenefile.h"
#include "support/temp_folder.h"
#include "test_scene.h"

using namespace bx3;

namespace {

class SceneFileTest : public ::testing::Test {
 protected:
  static std::string Read(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }
  kvtest::TempFolder temp_;
  const std::string folder_ = temp_.Path();
};

TEST_F(SceneFileTest, BadFilesAreRefusedWithFilePositionAndProblem) {
  struct Case {
    const char* text;
    const char* message;  // expected part of the error
  };
  const Case cases[] = {
      {"{\"format\": \"bx3-scene\",\n \"version\": 1,,}", "bad.bx3: line 2, column 15: not a valid scene file"},
      {"[1, 2]", "bad.bx3: /: the scene must be a JSON object"},
      {"{\"format\": \"other\", \"version\": 1}", "bad.bx3: /format: must be \"bx3-scene\""},
      {"{\"format\": \"bx3-scene\", \"version\": 9}", "/version: unsupported version"},
      {R"({"format": "bx3-scene", "version": 1, "objects": {}})", "/objects: must be an array"},
      {R"({"format": "bx3-scene", "version": 1, "objects": [{"id": 1, "type": "teapot"}]})",
       "/objects/0/type: unknown element type \"teapot\""},
      {R"({"format": "bx3-scene", "version": 1, "objects": [{"id": 1, "type": "object.null",
          "params": {"5": {"int": "five"}}}]})",
       "/objects/0/params/5/int: must be a 32-bit integer"},
      {R"({"format": "bx3-scene", "version": 1, "objects": [{"id": 1, "type": "object.null",
          "params": {"x": {"int": 5}}}]})",
       "/objects/0/params/x: parameter keys are 32-bit integers"},
      {R"({"format": "bx3-scene", "version": 1, "objects": [{"id": 1, "type": "object.null", "layer": 7}]})",
       "/objects/0/layer: dangling link to element 7"},
      {R"({"format": "bx3-scene", "version": 1, "objects": [{"id": 1, "type": "object.null",
          "children": [{"id": 1, "type": "object.null"}]}]})",
       "/objects/0/children/0/id: duplicate id 1"},
      {R"({"format": "bx3-scene", "version": 1, "takes": [{"id": 1, "name": "Main"},
          {"id": 2, "parent": 3}, {"id": 3, "parent": 2}]})",
       "/takes/1/parent: the take hierarchy has a cycle"},
      {R"({"format": "bx3-scene", "version": 1, "objects": [{"id": 1, "type": "object.null"}],
          "layers": [{"id": 2, "type": "layer"}], "materials": [{"id": 3, "type": "material.standard",
          "layer": 1}]})",
       "/materials/0/layer: links to an element that is no layer"},
      {R"({"format": "bx3-scene", "version": 1, "activeMaterial": 5})", "/activeMaterial: no element with id 5"},
  };
  for (const Case& c : cases) {
    auto document = ParseDocument(c.text, "bad.bx3");
    ASSERT_FALSE(document.HasValue()) << c.text;
    EXPECT_NE(document.GetError().Message().find(c.message), std::string::npos)
        << document.GetError().Message() << "\nexpected: " << c.message;
  }
  // Element trees are read recursively: a file nesting them without limit would exhaust the stack.
  std::string deep;
  for (int i = 1; i <= 1500; ++i)
    deep += R"({"id": )" + std::to_string(i) + R"(, "type": "object.null", "children": [)";
  for (int i = 1; i <= 1500; ++i) deep += "]}";
  auto nested = ParseDocument(R"({"format": "bx3-scene", "version": 1, "objects": [)" + deep + "]}", "deep.bx3");
  ASSERT_FALSE(nested.HasValue());
  EXPECT_NE(nested.GetError().Message().find("nested deeper than 1000 levels"), std::string::npos);
  EXPECT_FALSE(LoadDocument(folder_).HasValue());  // a folder is not a scene
  EXPECT_FALSE(LoadDocument(folder_ + "/missing.bx3").HasValue());
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
  const std::string saved = Read(path);
  auto loaded = LoadDocument(path);
  ASSERT_TRUE(loaded.HasValue());
  EXPECT_EQ((*loaded)->GetFolder().GetString(), folder_);
  ASSERT_TRUE(SaveDocument(**loaded, path).HasValue());
  EXPECT_EQ(Read(path), saved);

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
