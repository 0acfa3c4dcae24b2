#include <gtest/gtest.h>

#include "bx3/filename.h"

using bx3::Filename;

TEST(FilenameTest, Parts) {
  struct Case {
    const char *path, *file, *directory, *suffix, *withoutSuffix;
  };
  const Case cases[] = {
      {"/a/b/wood.JPG", "wood.JPG", "/a/b", "JPG", "/a/b/wood"},
      {"tex/seq.0001.exr", "seq.0001.exr", "tex", "exr", "tex/seq.0001"},
      {"plain", "plain", "", "", "plain"},
      {"/dir.v2/plain", "plain", "/dir.v2", "", "/dir.v2/plain"},
      {".profile", ".profile", "", "", ".profile"},
      {"/root.png", "root.png", "/", "png", "/root"},
      {"", "", "", "", ""},
      {"folder/", "", "folder", "", "folder/"},
  };
  for (const Case& c : cases) {
    const Filename name(c.path);
    EXPECT_EQ(name.GetFile().GetString(), c.file) << c.path;
    EXPECT_EQ(name.GetDirectory().GetString(), c.directory) << c.path;
    EXPECT_EQ(name.GetSuffix(), c.suffix) << c.path;
    EXPECT_EQ(name.WithoutSuffix().GetString(), c.withoutSuffix) << c.path;
  }
}

TEST(FilenameTest, SuffixTestIgnoresCaseEqualityDoesNot) {
  EXPECT_TRUE(Filename("a/B.PNG").CheckSuffix("png"));
  EXPECT_TRUE(Filename("a/b.Tif").CheckSuffix("TIF"));
  EXPECT_FALSE(Filename("a/b.tiff").CheckSuffix("tif"));
  EXPECT_FALSE(Filename("a/b").CheckSuffix("b"));
  EXPECT_TRUE(Filename("a/b").CheckSuffix(""));
  EXPECT_FALSE(Filename("/a/B.png").IsEqual(Filename("/a/b.png")));
  EXPECT_TRUE(Filename("/a/b.png") == Filename("/a/b.png"));
}

TEST(FilenameTest, JoinAndUrl) {
  EXPECT_EQ((Filename("/proj") + Filename("tex/a.png")).GetString(), "/proj/tex/a.png");
  EXPECT_EQ((Filename("/proj/") + Filename("a.png")).GetString(), "/proj/a.png");
  EXPECT_EQ((Filename("/proj") + Filename("/abs.png")).GetString(), "/abs.png");
  EXPECT_EQ((Filename() + Filename("a.png")).GetString(), "a.png");
  EXPECT_EQ(Filename("/a/b.png").GetUrl().GetScheme(), "file");
  EXPECT_EQ(Filename("b.png").GetUrl().GetScheme(), "relative");
  EXPECT_EQ(Filename::FromUrl(brantic::Url::FromSystemPath("/x/y.exr")).GetString(), "/x/y.exr");
}
