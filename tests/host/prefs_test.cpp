#include <gtest/gtest.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "brantic/searchpaths.h"
#include "bx3/host.h"
#include "bx3/prefs.h"
#include "support/temp_folder.h"

using namespace bx3;

TEST(PreferencesTest, PersistAndReload) {
  char pattern[] = "/tmp/kv_prefs_XXXXXX";
  const std::string folder = std::string(::mkdtemp(pattern)) + "/nested";
  ::setenv("BX3_PREFS_DIR", folder.c_str(), 1);
  Preferences& prefs = Preferences::Get();
  prefs.Reset();
  Container view(1029486);
  view.SetBool(1029824, true);
  view.SetInt32(1051540, 1051433);
  Container layout;
  layout.SetFloat(1, 0.5);
  view.SetContainer(10089, layout);
  prefs.Plugins().SetContainer(1029486, view);
  prefs.SetTextureSearchPaths({{Filename("/lib/textures"), true}, {Filename("/off"), false}});
  prefs.SetPathVariables({{"PROJECT", "/mnt/proj"}});
  prefs.SetPathMappings({{"P:\\proj", "/mnt/proj"}});
  prefs.SetRootAnswerSeconds(0.5);
  ASSERT_TRUE(prefs.Save().HasValue());

  prefs.Reset();
  ASSERT_TRUE(prefs.Load().HasValue());
  ASSERT_NE(prefs.Plugins().GetContainer(1029486), nullptr);
  EXPECT_TRUE(*prefs.Plugins().GetContainer(1029486) == view);
  EXPECT_EQ(prefs.GetTextureSearchPaths().size(), 2u);
  EXPECT_EQ(prefs.GetPathVariables().at("PROJECT"), "/mnt/proj");
  EXPECT_EQ(prefs.GetRootAnswerSeconds(), 0.5);
  EXPECT_EQ(prefs.MakePathExpander().Expand("P:/proj/$PROJECT/a.png").path, "/mnt/proj//mnt/proj/a.png");
  // Mappings need both ends; a variable's value is a text.
  EXPECT_FALSE(prefs.FromJson(R"({"pathMappings": [{"from": "P:"}]})").HasValue());
  EXPECT_FALSE(prefs.FromJson(R"({"variables": {"A": 1}})").HasValue());
  // A root's time to answer is a number of seconds, more than none.
  for (const char* seconds : {"0", "-1", "\"2\"", "7200"}) {
    const auto read = prefs.FromJson(R"({"rootAnswerSeconds": )" + std::string(seconds) + "}");
    ASSERT_FALSE(read.HasValue()) << seconds;
    EXPECT_NE(read.GetError().Message().find("/rootAnswerSeconds"), std::string::npos) << read.GetError().Message();
  }
  EXPECT_EQ(prefs.GetRootAnswerSeconds(), 0.5);
  EXPECT_EQ(prefs.GetPathMappings().size(), 1u);  // a refused file changes nothing

  // The search folders: document folder, its tex folder, then the enabled preference paths.
  InitializeHost();
  auto folders = brantic::FillSearchPaths(brantic::Url::FromSystemPath("/proj"));
  ASSERT_TRUE(folders.HasValue());
  std::vector<std::string> paths;
  for (const auto& url : *folders) paths.push_back(url.GetPath().Std());
  EXPECT_EQ(paths, (std::vector<std::string>{"/proj", "/proj/tex", "/lib/textures"}));

  // A broken file is reported and leaves the settings as they were.
  std::ofstream(folder + "/prefs.json") << "{ broken";
  EXPECT_FALSE(prefs.Load().HasValue());
  EXPECT_EQ(prefs.GetTextureSearchPaths().size(), 2u);
  // What used to go wrong: the next save wrote over it. It is kept aside first, once; a
  // second unreadable file takes the next free name.
  ASSERT_TRUE(prefs.Save().HasValue());
  EXPECT_EQ(kvtest::ReadBytes(folder + "/prefs.json.unreadable"), "{ broken");
  ASSERT_TRUE(prefs.Save().HasValue());
  EXPECT_EQ(kvtest::ReadBytes(folder + "/prefs.json.unreadable"), "{ broken");
  EXPECT_TRUE(prefs.FromJson(kvtest::ReadBytes(folder + "/prefs.json")).HasValue());
  std::ofstream(folder + "/prefs.json") << "[]";
  EXPECT_FALSE(prefs.Load().HasValue());
  ASSERT_TRUE(prefs.Save().HasValue());
  EXPECT_EQ(kvtest::ReadBytes(folder + "/prefs.json.unreadable.2"), "[]");
  prefs.Reset();
  std::filesystem::remove_all(std::filesystem::path(folder).parent_path());
  ::unsetenv("BX3_PREFS_DIR");
}
