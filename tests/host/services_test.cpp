#include <gtest/gtest.h>

#include "bx3/document.h"
#include "bx3/services.h"
#include "test_scene.h"

using namespace bx3;

TEST(ServicesTest, HeadlessServicesSayWhatTheyWouldShow) {
  ::testing::internal::CaptureStdout();
  EXPECT_TRUE(ShowInFileBrowser(Filename("/proj/tex/wood.jpg"), false));
  EXPECT_TRUE(ShowInFileBrowser(Filename("/proj/tex/wood.jpg"), true));
  EXPECT_FALSE(ShowInFileBrowser(Filename(), false));
  PictureViewer* viewer = GetPictureViewer(-1);
  ASSERT_NE(viewer, nullptr);
  EXPECT_FALSE(viewer->LoadFile(Filename("/nonexistent/picture.png")));
  EXPECT_FALSE(viewer->Show());  // nothing loaded
  const std::string printed = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(printed, "bx3: file browser shows /proj/tex/wood.jpg\nbx3: file browser opens /proj/tex/wood.jpg\n");

  fixtures::TestScene scene;
  AttributeManagerRelease();
  AttributeManagerSetMode(4, true);
  AttributeManagerShow(scene.bitmap, 2, DescId(DescLevel{param::kBitmapFile}));
  const AttributeManagerState& state = GetAttributeManagerState();
  EXPECT_EQ(state.mode, 4);
  EXPECT_TRUE(state.open);
  EXPECT_EQ(state.element.Resolve(scene.document.get()), scene.bitmap);
  EXPECT_EQ(state.focus[0].id, param::kBitmapFile);
  EXPECT_EQ(state.flags, 2);
}

TEST(SelectionTest, ActiveMaterialsAndObjects) {
  fixtures::TestScene scene;
  Document& doc = *scene.document;
  Element* second = doc.InsertElement(Branch::Materials, CreateElement(type::kStandardMaterial, "Second"));
  doc.SetActiveMaterial(scene.material);
  doc.SetActiveObject(scene.cube);
  EXPECT_TRUE(doc.IsActive(scene.material) && doc.IsActive(scene.cube));
  doc.SetActiveMaterial(second, Document::kSelectAdd);
  EXPECT_TRUE(doc.IsActive(scene.material) && doc.IsActive(second));
  EXPECT_EQ(doc.GetActiveMaterial(), second);
  doc.SetActiveMaterial(scene.material, Document::kSelectRemove);
  EXPECT_FALSE(doc.IsActive(scene.material));
  doc.SetActiveMaterial(nullptr);  // no material active; objects stay
  EXPECT_FALSE(doc.IsActive(second));
  EXPECT_EQ(doc.GetActiveMaterial(), nullptr);
  EXPECT_TRUE(doc.IsActive(scene.cube));
  EXPECT_FALSE(doc.IsActive(nullptr));
}
