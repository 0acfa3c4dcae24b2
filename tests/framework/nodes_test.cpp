#include <gtest/gtest.h>

#include "brantic/nodes.h"
#include "brantic/searchpaths.h"

using namespace brantic;

TEST(NodeSpaceTest, RegistryAndActiveSpace) {
  ASSERT_TRUE(RegisterNodeSpace(Id("test.space"), String("Test Space")).HasValue());
  ASSERT_TRUE(RegisterNodeSpace(Id("test.space"), String("Renamed")).HasValue());
  EXPECT_EQ(FindNodeSpace(Id("test.space"))->displayName, "Renamed");
  EXPECT_FALSE(FindNodeSpace(Id("missing")).has_value());
  EXPECT_FALSE(FindNodeSpace(Id()).has_value());
  EXPECT_FALSE(RegisterNodeSpace(Id(), String("x")).HasValue());
  SetActiveNodeSpace(Id("test.space"));
  EXPECT_EQ(GetActiveNodeSpace(), "test.space");
}

TEST(NodeGraphTest, TransactionsApplyAllOrNothing) {
  ASSERT_TRUE(RegisterNodeType({Id("test.texture"), Id("image"), Id("start"), Id("end")}).HasValue());
  NodeGraph graph(Id("test.space"));
  ASSERT_TRUE(graph.AddNode({*NodePath::FromText("group/tex1"), Id("test.texture"), {}}).HasValue());
  EXPECT_FALSE(graph.AddNode({*NodePath::FromText("group/tex1"), Id(), {}}).HasValue());
  const NodePath path = *NodePath::FromText("group/tex1");
  const uint32_t before = graph.ChangeCount();
  {
    GraphTransaction dropped = graph.BeginTransaction();
    ASSERT_TRUE(dropped.SetValue(path, Url::FromSystemPath("/a.png")).HasValue());
  }
  EXPECT_EQ(graph.FindNode(path)->FindPort(Id("image")), nullptr);
  EXPECT_EQ(graph.ChangeCount(), before);

  GraphTransaction transaction = graph.BeginTransaction();
  ASSERT_TRUE(transaction.SetValue(path, Url::FromSystemPath("/b.png")).HasValue());
  ASSERT_TRUE(transaction.SetPortValue(path, Id("start"), int64_t{10}).HasValue());
  EXPECT_FALSE(transaction.SetValue(*NodePath::FromText("nope"), int64_t{1}).HasValue());
  ASSERT_TRUE(transaction.Commit().HasValue());
  EXPECT_FALSE(transaction.Commit().HasValue());
  EXPECT_EQ(std::get<Url>(*graph.FindNode(path)->FindPort(Id("image"))).GetPath(), "/b.png");
  EXPECT_EQ(std::get<int64_t>(*graph.FindNode(path)->FindPort(Id("start"))), 10);
  EXPECT_GT(graph.ChangeCount(), before);

  for (const char* bad : {"/a", "a/", "a//b"}) EXPECT_FALSE(NodePath::FromText(bad).HasValue()) << bad;
}

TEST(SearchPathTest, DefaultsWithoutProvider) {
  SetSearchPathProvider(nullptr);
  auto folders = FillSearchPaths(Url::FromSystemPath("/proj"));
  ASSERT_TRUE(folders.HasValue());
  ASSERT_EQ(folders->size(), 2u);
  EXPECT_EQ((*folders)[1].GetPath(), "/proj/tex");
  EXPECT_TRUE(FillSearchPaths(Url())->empty());
}

#include "brantic/application.h"

TEST(ApplicationTest, LocationIsTheProgramsFolder) {
  const Url program = GetApplicationLocation(ApplicationLocation::Executable);
  EXPECT_EQ(program.GetName(), "framework_tests");
  EXPECT_EQ(GetApplicationLocation(ApplicationLocation::Application), program.GetDirectory());
}
