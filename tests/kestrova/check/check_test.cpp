// The check's rules without a process: the policy, the JSON and its reading back, the merge
// of shards, the share of a shard and the orphans of a project.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "check/kvcheckjson.h"
#include "check/kvcheckoptions.h"
#include "check/kvcheckreport.h"
#include "check/kvorphans.h"
#include "check/kvsceneloader.h"
#include "support/temp_folder.h"

using namespace kv;

namespace {

KvCheckAsset Asset(std::string path, std::string status, std::vector<std::string> problems,
                   std::vector<KvCheckUse> usedBy) {
  KvCheckAsset asset;
  asset.path = std::move(path);
  asset.resolved = status == "missing" ? "" : "/p/" + asset.path;
  asset.status = std::move(status);
  asset.kind = "image";
  asset.problems = std::move(problems);
  asset.usedBy = std::move(usedBy);
  return asset;
}

// Three scenes that share a texture, one of them with a missing file.
KvCheckReport Project() {
  KvCheckReport report;
  report.projectRoot = "/p";
  report.listsOrphans = true;
  for (const char* scene : {"a.bx3", "b.bx3", "c.bx3"}) {
    report.scenes.push_back({scene, 2, ""});
    report.assets.push_back(Asset("tex/wood.jpg", "found", {}, {{scene, "Wood", "File", ""}}));
  }
  report.assets.push_back(Asset("tex/gone.png", "missing", {"missing"}, {{"b.bx3", "Decal", "File", ""}}));
  report.assets.back().frames = KvCheckSet{3, 5};
  report.assets.push_back(
      Asset("/abs/\"odd\"\tname\x01\xff.exr", "partial", {"partial", "absolute"}, {{"c.bx3", "E", "P", "ref.bx3"}}));
  report.orphans = {"/p/unused.png"};
  NormalizeReport(report);
  return report;
}

TEST(CheckReportTest, ThePolicyCountsTheAssetsWithTheProblemsItNames) {
  const KvCheckReport report = Project();
  const struct {
    const char* list;
    int64_t failing;
  } cases[] = {
      {"missing", 1}, {"none", 0}, {"absolute", 1}, {"missing,partial", 2}, {"missing,missing", 1}, {"unreadable", 0},
  };
  for (const auto& c : cases) {
    auto failOn = ParseProblemList(c.list);
    ASSERT_TRUE(failOn) << c.list;
    EXPECT_EQ(CountFailingAssets(report, *failOn), c.failing) << c.list;
  }
  EXPECT_EQ(*ParseProblemList(kDefaultFailOn),
            (std::vector<std::string>{"missing", "partial", "unreachable", "unreadable"}));
  for (const char* bad : {"missin", "", "missing,", "none,missing", "MISSING"}) {
    const auto failOn = ParseProblemList(bad);
    EXPECT_FALSE(failOn) << bad;
    if (!failOn) {
      EXPECT_NE(failOn.GetError().Message().find("unknown problem"), std::string::npos) << bad;
    }
  }
}

TEST(CheckReportTest, AReportReadsBackToTheSameBytes) {
  const KvCheckReport report = Project();
  const std::string json = CheckReportJson(report);
  // One entry per asset, each of its users once, problems in their order.
  EXPECT_EQ(report.assets.size(), 3u);
  EXPECT_NE(json.find("\"missing\": 2}"), std::string::npos) << json;
  EXPECT_NE(json.find("\\\"odd\\\"\\tname\\u0001\xEF\xBF\xBD.exr"), std::string::npos) << json;
  auto read = ReadCheckReportJson(json, "report.json");
  ASSERT_TRUE(read) << read.GetError().Message();
  EXPECT_EQ(CheckReportJson(*read), json);
  EXPECT_EQ(read->assets[2].usedBy.size(), 3u);

  const struct {
    std::string text;
    const char* words;
  } bad[] = {
      {"", "line 1, column 1"},
      {R"({"format": "other", "version": 1})", "not a check report"},
      {R"({"version": 1, "assets": []})", "no format"},
      {R"({"format": "bx3-check", "version": 2})", "unsupported version 2"},
      {json.substr(0, json.size() / 2), "report.json: line"},
      {R"({"format": "bx3-check", "version": 1, "assets": [{"usedBy": 5}]})", "column 61: expected an array"},
  };
  for (const auto& c : bad) {
    const auto failed = ReadCheckReportJson(c.text, "report.json");
    ASSERT_FALSE(failed) << c.text;
    EXPECT_NE(failed.GetError().Message().find(c.words), std::string::npos) << failed.GetError().Message();
  }
}

// Shards hold their scenes' uses, and as orphans every file their scenes do not use: an
// orphan of the whole scan is one no shard uses.
TEST(CheckReportTest, ShardsMergeIntoTheWholeScan) {
  const KvCheckReport whole = Project();
  KvCheckReport first, second;
  for (KvCheckReport* shard : {&first, &second}) {
    shard->projectRoot = "/p";
    shard->listsOrphans = true;
  }
  first.scenes = {{"a.bx3", 2, ""}, {"c.bx3", 2, ""}};
  second.scenes = {{"b.bx3", 2, ""}};
  for (const KvCheckAsset& asset : whole.assets) {
    for (const KvCheckUse& use : asset.usedBy) {
      KvCheckAsset part = asset;
      part.usedBy = {use};
      (use.scene == "b.bx3" ? second : first).assets.push_back(part);
    }
  }
  first.orphans = {"/p/unused.png", "/p/b.bx3"};
  second.orphans = {"/p/unused.png", "/p/a.bx3", "/p/c.bx3"};
  auto merged = MergeReports({second, first});
  ASSERT_TRUE(merged) << merged.GetError().Message();
  EXPECT_EQ(CheckReportJson(*merged), CheckReportJson(whole));

  KvCheckReport otherRoot = second;
  otherRoot.projectRoot = "/q";
  EXPECT_FALSE(MergeReports({first, otherRoot}));
  EXPECT_FALSE(MergeReports({first, first})) << "a scene in two shards";
}

TEST(CheckOptionsTest, ArgumentsAndShares) {
  const struct {
    std::vector<std::string> arguments;
    const char* error;  // empty: accepted
  } cases[] = {
      {{"--check", "a.bx3", "b.bx3", "--json", "-", "--probe"}, ""},
      {{"--scan", "dir", "--shard", "2/3", "--project-root", "p", "--fail-on", "none"}, ""},
      {{"--merge", "1.json", "2.json"}, ""},
      {{"--check"}, "needs a scene"},
      {{"--check", "a.bx3", "--json"}, "--json needs a value"},
      {{"--check", "a.bx3", "--fail-on", "lost"}, "unknown problem \"lost\""},
      {{"--check", "a.bx3", "--shard", "1/2"}, "--shard goes with --scan"},
      {{"--scan", "dir", "--shard", "0/3"}, "not 0/3"},
      {{"--scan", "dir", "--shard", "4/3"}, "not 4/3"},
      {{"--scan", "dir", "--shard", "1/3x"}, "not 1/3x"},
      {{"--scan", "a", "b"}, "not b too"},
      {{"--check", "a.bx3", "--verbose"}, "unknown option --verbose"},
      {{"--merge", "1.json", "--probe"}, "as they are"},
  };
  for (const auto& c : cases) {
    const auto options = ParseCheckArguments(c.arguments);
    if (*c.error == 0) {
      EXPECT_TRUE(options) << c.arguments[0] << " " << options.GetError().Message();
    } else if (!options) {
      EXPECT_NE(options.GetError().Message().find(c.error), std::string::npos) << options.GetError().Message();
    } else {
      ADD_FAILURE() << "accepted, wanted " << c.error;
    }
  }
  // Every scene in exactly one share, the same share on every run.
  std::vector<std::string> scenes;
  for (int i = 0; i < 10; ++i) scenes.push_back("s" + std::to_string(i));
  std::vector<std::string> joined;
  for (int shard = 1; shard <= 3; ++shard) {
    for (const std::string& scene : ShardOf(scenes, shard, 3)) joined.push_back(scene);
  }
  std::sort(joined.begin(), joined.end());
  EXPECT_EQ(joined, scenes);
  EXPECT_EQ(ShardOf(scenes, 2, 3), (std::vector<std::string>{"s1", "s4", "s7"}));
  EXPECT_TRUE(ShardOf(scenes, 5, 20).empty() == false && ShardOf(scenes, 11, 20).empty());
}

TEST(CheckOrphansTest, FilesNoSceneUsesAndScenesFoundBelowAFolder) {
  kvtest::TempFolder root;
  namespace fs = std::filesystem;
  for (const char* file : {"a.bx3", "shots/b.bx3", "tex/wood.jpg", "tex/f_0001.png", "tex/f_0002.png", "old.png"}) {
    kvtest::WriteBytes(root / file, "x");
  }
  fs::create_directory_symlink(root / "tex", root / "linked");  // the same files again
  fs::create_symlink(root / "loop", root / "loop");
  const std::vector<std::string> used = {root / "a.bx3",          root / "shots/b.bx3",    root / "tex/../tex/wood.jpg",
                                         root / "tex/f_0001.png", root / "tex/f_0002.png", "/elsewhere/x.png"};
  auto orphans = FindOrphans(root.Path() + "/", used);
  ASSERT_TRUE(orphans) << orphans.GetError().Message();
  const std::string canonical = fs::canonical(root.Path()).string();
  EXPECT_EQ(*orphans, (std::vector<std::string>{canonical + "/old.png"}));
  EXPECT_FALSE(FindOrphans(root / "none", used));

  auto scenes = ScenesToScan(root.Path());
  ASSERT_TRUE(scenes);
  EXPECT_EQ(*scenes, (std::vector<std::string>{root / "a.bx3", root / "shots/b.bx3"}));
  std::ofstream(root / "list") << "# shots\n"
                               << root / "b.bx3"
                               << "\r\n\n"
                               << root / "a.bx3"
                               << "\n";
  EXPECT_EQ(*ScenesToScan("@" + root / "list"), (std::vector<std::string>{root / "a.bx3", root / "b.bx3"}));
  EXPECT_FALSE(ScenesToScan("@" + root / "nolist"));
}

// Scenes read ahead come in the order given, each with its own refusal, while the scenes done
// with go back to be freed; a loader dropped with scenes still waiting or handed back stops and
// frees them.
TEST(CheckSceneLoaderTest, ScenesComeInOrderWithTheirOwnErrors) {
  kvtest::TempFolder folder;
  const auto scene = [&](const std::string& name, const std::string& objects) {
    std::ofstream(folder / name) << R"({"format": "bx3-scene", "version": 1, "objects": [)" + objects + "]}";
    return std::string(folder / name);
  };
  std::vector<std::string> scenes = {scene("a.bx3", R"({"id": 1, "type": "object.null", "name": "A"})"),
                                     folder / "gone.bx3", scene("bad.bx3", "{"),
                                     scene("b.bx3", R"({"id": 1, "type": "object.null", "name": "B"})")};
  for (int i = 0; i < 20; ++i) scenes.push_back(scenes[0]);
  {
    KvSceneLoader loader(scenes);
    for (size_t i = 0; i < scenes.size(); ++i) {
      KvLoadedScene loaded = loader.Next();
      if (i == 1 || i == 2) {
        ASSERT_FALSE(loaded) << i;
        EXPECT_NE(loaded.GetError().Message().find(i == 1 ? "gone.bx3: no such file" : "bad.bx3"), std::string::npos);
        continue;
      }
      ASSERT_TRUE(loaded) << i << ": " << loaded.GetError().Message();
      EXPECT_EQ((*loaded)->GetFilename().GetString().Std(), scenes[i]);
      loader.Recycle(std::move(*loaded));
    }
    EXPECT_FALSE(loader.Next()) << "no scene left";
  }
  KvSceneLoader dropped(scenes);
  auto first = dropped.Next();
  ASSERT_TRUE(first);
  dropped.Recycle(std::move(*first));
  KvSceneLoader single({scenes[0]});  // no thread: read when asked, freed when handed back
  auto only = single.Next();
  ASSERT_TRUE(only);
  single.Recycle(std::move(*only));
}

}  // namespace
