#include <gtest/gtest.h>

#include "bx3/document.h"
#include "test_scene.h"

using namespace bx3;

TEST(UndoTest, ChangeUndoRedo) {
  fixtures::TestScene scene;
  Document& doc = *scene.document;
  const uint32_t dirtyBefore = scene.bitmap->GetDirty(4);
  const uint64_t revisionBefore = doc.GetRevision();
  doc.StartUndo();
  ASSERT_TRUE(doc.AddUndo(kUndoChange, scene.bitmap));
  scene.bitmap->SetParameter(param::kBitmapFile, Filename("tex/new.jpg"));
  scene.bitmap->SetName("Renamed");
  doc.EndUndo();
  const uint64_t revisionAfter = doc.GetRevision();
  EXPECT_GT(scene.bitmap->GetDirty(4), dirtyBefore);
  EXPECT_GT(scene.material->GetDirty(4), 0u);
  EXPECT_NE(revisionAfter, revisionBefore);

  // Undo and redo go back and forth between the two revisions, the change counter onwards.
  ASSERT_TRUE(doc.Undo());
  EXPECT_EQ(scene.bitmap->GetFilename(param::kBitmapFile).GetString(), "tex/wood.jpg");
  EXPECT_EQ(scene.bitmap->GetName(), "Color");
  EXPECT_EQ(doc.GetRevision(), revisionBefore);
  const uint32_t dirtyUndone = doc.GetDirty();
  ASSERT_TRUE(doc.Redo());
  EXPECT_EQ(scene.bitmap->GetFilename(param::kBitmapFile).GetString(), "tex/new.jpg");
  EXPECT_EQ(scene.bitmap->GetName(), "Renamed");
  EXPECT_EQ(doc.GetRevision(), revisionAfter);
  EXPECT_GT(doc.GetDirty(), dirtyUndone);
  EXPECT_FALSE(doc.Redo());
  // A change the step does not hold: its undo makes a scene of a revision of its own.
  scene.material->SetName("Changed");
  ASSERT_TRUE(doc.Undo());
  EXPECT_NE(doc.GetRevision(), revisionBefore);
  EXPECT_NE(doc.GetRevision(), revisionAfter);
}

TEST(UndoTest, DeleteRestoresTheTreeAndItsLinks) {
  fixtures::TestScene scene;
  Document& doc = *scene.document;
  const ElementLink cubeLink(scene.cube);
  const ElementLink tagLink(scene.cacheTag);
  const std::unique_ptr<Element> before = scene.cube->CloneTree();

  doc.StartUndo();
  ASSERT_TRUE(doc.AddUndo(kUndoDelete, scene.cube));
  std::unique_ptr<Element> removed = scene.cube->Remove();
  doc.EndUndo();
  removed.reset();
  EXPECT_EQ(cubeLink.Resolve(&doc), nullptr);
  EXPECT_EQ(tagLink.Resolve(&doc), nullptr);

  ASSERT_TRUE(doc.Undo());
  Element* cube = cubeLink.Resolve(&doc);
  ASSERT_NE(cube, nullptr);
  EXPECT_TRUE(cube->DataEquals(*before));
  ASSERT_EQ(cube->GetChildren().size(), 1u);
  EXPECT_TRUE(cube->GetChildren()[0]->DataEquals(*before->GetChildren()[0]));
  EXPECT_EQ(tagLink.Resolve(&doc), cube->GetChildren()[0].get());
  EXPECT_EQ(cube->GetLayer(), scene.layer);
  EXPECT_EQ(cube->GetParent(), doc.GetBranch(Branch::Objects));

  ASSERT_TRUE(doc.Redo());
  EXPECT_EQ(cubeLink.Resolve(&doc), nullptr);
}

TEST(UndoTest, StepsGroupRecordsAndRefuseStrayOnes) {
  fixtures::TestScene scene;
  Document& doc = *scene.document;
  EXPECT_FALSE(doc.AddUndo(kUndoChange, scene.bitmap));  // outside a step
  EXPECT_FALSE(doc.Undo());

  doc.StartUndo();
  doc.AddUndo(kUndoChange, scene.bitmap);
  scene.bitmap->SetParameter(param::kBitmapFile, Filename("b.jpg"));
  doc.StartUndo();  // nested steps join the outer one
  doc.AddUndo(kUndoChange, scene.closeUp);
  scene.closeUp->SetOverride(scene.bitmap, param::kBitmapFile, Filename("c.jpg"));
  Element* added = doc.InsertElement(Branch::Objects, CreateElement(type::kNullObject, "New"));
  doc.AddUndo(kUndoNew, added);
  doc.EndUndo();
  doc.EndUndo();
  EXPECT_EQ(doc.UndoCount(), 1);

  const ElementLink addedLink(added);
  ASSERT_TRUE(doc.Undo());
  EXPECT_EQ(scene.bitmap->GetFilename(param::kBitmapFile).GetString(), "tex/wood.jpg");
  const auto* entry = scene.closeUp->FindOverride(scene.bitmap, param::kBitmapFile);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(std::get<Filename>(entry->value).GetString(), "tex/wood_close.jpg");
  EXPECT_EQ(addedLink.Resolve(&doc), nullptr);
  ASSERT_TRUE(doc.Redo());
  EXPECT_NE(addedLink.Resolve(&doc), nullptr);
  EXPECT_EQ(std::get<Filename>(scene.closeUp->FindOverride(scene.bitmap, param::kBitmapFile)->value).GetString(),
            "c.jpg");
}
