#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "brantic/io.h"
#include "brantic/url.h"
#include "support/temp_folder.h"

using brantic::Url;

TEST(UrlTest, SchemesFromSystemPaths) {
  EXPECT_TRUE(Url::FromSystemPath("").IsEmpty());
  EXPECT_EQ(Url::FromSystemPath("/a/b.png").GetScheme(), "file");
  EXPECT_EQ(Url::FromSystemPath("tex/b.png").GetScheme(), "relative");
  EXPECT_EQ(Url::FromSystemPath("b.png").GetScheme(), "relative");
  EXPECT_EQ(Url::FromSystemPath("/a//b/").GetPath(), "/a/b/");
  EXPECT_EQ(Url::FromSystemPath("/a/b.png/").GetName(), "");
  EXPECT_EQ(Url::FromSystemPath("/a/b.png").GetName(), "b.png");
  EXPECT_EQ(Url::FromSystemPath("/").GetName(), "");
  EXPECT_EQ(Url::FromSystemPath("/a/b.png").GetDirectory().GetPath(), "/a");
  EXPECT_EQ(Url::FromString("file:///x/y").GetPath(), "/x/y");
  EXPECT_EQ(Url::FromString("relative:tex/y").GetScheme(), "relative");
  EXPECT_EQ(Url::FromSystemPath("/x/y").ToString(), "file:///x/y");
  // A host path's text is shared where it needs no tidying, with the same result.
  for (const char* path : {"", "/", "/a/b.png", "tex/b.png", "/a//b/", "a//b", "tex/"}) {
    EXPECT_EQ(Url::FromSharedSystemPath(brantic::String(path)), Url::FromSystemPath(path)) << path;
  }
}

TEST(UrlTest, AppendAndRelative) {
  const Url folder = Url::FromSystemPath("/proj");
  EXPECT_EQ(folder.Append(Url::FromSystemPath("tex/a.png"))->GetPath(), "/proj/tex/a.png");
  EXPECT_EQ(folder.Append(std::string_view("a.png"))->GetPath(), "/proj/a.png");
  EXPECT_EQ(Url::FromSystemPath("/").Append(std::string_view("a"))->GetPath(), "/a");
  // Only relative URLs can be appended, and only to a non-empty URL.
  EXPECT_FALSE(folder.Append(Url::FromSystemPath("/abs.png")).HasValue());
  EXPECT_FALSE(Url().Append(std::string_view("a")).HasValue());
  EXPECT_FALSE(folder.Append(std::string_view("")).HasValue());

  // Appended and resolved in one, as in two steps: dots, doubled and trailing separators,
  // the root, above the root, relative bases, the empty URL.
  for (const auto& [base, relative] : {std::pair{"/proj", "tex/a.png"},
                                       {"/proj/", "tex//a.png"},
                                       {"/proj/shots/f0", "../../tex/t1.png"},
                                       {"/", "a/./b/"},
                                       {"/a", "../../../x.png"},
                                       {"proj/sub", "../x.png"},
                                       {"proj", "../../x.png"},
                                       {"/proj", ""},
                                       {"/proj/x/..", "a.png"},
                                       {"relative:a/b", "c/../d"},
                                       {"/proj", "/abs.png"},
                                       {"", "a.png"}}) {
    const Url baseUrl = Url::FromString(base), relativeUrl = Url::FromString(relative);
    const auto twoSteps = [&]() -> brantic::Result<Url> {
      auto appended = baseUrl.Append(relativeUrl);
      return appended ? appended->Normalize(brantic::kNormalizeResolveDots) : appended;
    }();
    const auto inOne = baseUrl.AppendResolved(relativeUrl);
    ASSERT_EQ(inOne.HasValue(), twoSteps.HasValue()) << base << " + " << relative;
    if (inOne) {
      EXPECT_EQ(*inOne, *twoSteps) << base << " + " << relative << ": " << inOne->ToString();
    }
  }

  EXPECT_EQ(Url::FromSystemPath("/proj/tex/a.png").GetRelativeUrl(folder)->GetPath(), "tex/a.png");
  EXPECT_EQ(Url::FromSystemPath("/proj/tex/a.png").GetRelativeUrl(folder)->GetScheme(), "relative");
  EXPECT_EQ(Url::FromSystemPath("/proj/x/../a.png").GetRelativeUrl(folder)->GetPath(), "a.png");
  EXPECT_FALSE(Url::FromSystemPath("/project2/a.png").GetRelativeUrl(folder).HasValue());
  EXPECT_FALSE(Url::FromSystemPath("/other/a.png").GetRelativeUrl(folder).HasValue());
  EXPECT_FALSE(Url::FromSystemPath("tex/a.png").GetRelativeUrl(folder).HasValue());
}

TEST(UrlTest, Normalisation) {
  const std::pair<const char*, const char*> cases[] = {{"/a/./b/../c.png", "/a/c.png"},
                                                       {"/../a", "/a"},
                                                       {"/a/b/..", "/a"},
                                                       {"/a/..", "/"},
                                                       {"/a/..//", "/"},
                                                       {"/a/./b/", "/a/b/"},
                                                       {"/p/shots/f3/../../tex/t5.png", "/p/tex/t5.png"},
                                                       {"../tex/a.png", "../tex/a.png"},
                                                       {"../../a/../b", "../../b"},
                                                       {"a/b/../../../c/", "../c/"},
                                                       {"a/../..", ".."},
                                                       {"a/..", "."},
                                                       {"./", "./"}};
  for (const auto& [in, out] : cases) {
    auto normal = Url::FromSystemPath(in).Normalize(brantic::kNormalizeResolveDots);
    ASSERT_TRUE(normal.HasValue()) << in;
    EXPECT_EQ(normal->GetPath(), out) << in;
  }
  EXPECT_EQ(Url::FromSystemPath("/a/./b").Normalize(0)->GetPath(), "/a/./b");
  EXPECT_FALSE(Url().Normalize(brantic::kNormalizeResolveDots).HasValue());
}

class IoTest : public testing::Test {
 protected:
  kvtest::TempFolder temp_;
  const std::string folder_ = temp_.Path();
};

TEST_F(IoTest, DetectionOfOddFiles) {
  std::ofstream(folder_ + "/file.png") << "12345";
  ::mkdir((folder_ + "/dir").c_str(), 0755);
  ::mkfifo((folder_ + "/pipe").c_str(), 0644);
  ::symlink("nowhere", (folder_ + "/dangling").c_str());
  ::symlink("loop", (folder_ + "/loop").c_str());
  const std::pair<std::string, brantic::IoDetect> cases[] = {
      {folder_ + "/file.png", brantic::IoDetect::File},
      {folder_ + "/dir", brantic::IoDetect::Directory},
      {folder_ + "/dir/", brantic::IoDetect::Directory},
      {folder_ + "/pipe", brantic::IoDetect::Other},
      {folder_ + "/dangling", brantic::IoDetect::NotFound},
      {folder_ + "/loop", brantic::IoDetect::NotFound},
      {folder_ + "/" + std::string(4000, 'x'), brantic::IoDetect::NotFound},
      {"file.png", brantic::IoDetect::NotFound},
      {"", brantic::IoDetect::NotFound}};
  for (const auto& [path, expected] : cases) {
    EXPECT_EQ(brantic::DetectIo(Url::FromSystemPath(path)), expected) << path.substr(0, 80);
  }
}

TEST_F(IoTest, OpenReadsRegularFilesOnly) {
  std::ofstream(folder_ + "/file.bin") << "12345";
  ::mkfifo((folder_ + "/pipe").c_str(), 0644);
  auto size = brantic::GetFileSize(Url::FromSystemPath(folder_ + "/file.bin"));
  ASSERT_TRUE(size.HasValue());
  EXPECT_EQ(*size, 5);
  auto stream = brantic::OpenForReading(Url::FromSystemPath(folder_ + "/file.bin"));
  ASSERT_TRUE(stream.HasValue());
  char buffer[8] = {};
  EXPECT_EQ(*(*stream)->Read(buffer, sizeof buffer), 5);
  EXPECT_STREQ(buffer, "12345");
  // A pipe without a writer would block a plain open; it is refused at once instead.
  EXPECT_FALSE(brantic::OpenForReading(Url::FromSystemPath(folder_ + "/pipe")).HasValue());
  EXPECT_FALSE(brantic::GetFileSize(Url::FromSystemPath(folder_)).HasValue());
  EXPECT_FALSE(brantic::GetFileSize(Url::FromSystemPath("relative.bin")).HasValue());
  EXPECT_FALSE(brantic::GetFileSize(Url()).HasValue());
}
