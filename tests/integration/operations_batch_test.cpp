// The asset operations driven by bx3 --batch on copies of the demo, end to end: what they
// write into the saved scene and onto the disk.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "bx3/icons.h"
#include "run_bx3.h"
#include "scene_files.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using kvtest::ReadBytes;
using kvtest::RunBx3;

// The file and URL values of a saved scene that end with `name`.
std::vector<std::string> PathsNamed(const std::string& scene, const std::string& name) {
  std::vector<std::string> paths, named;
  kvtest::CollectPaths(kvtest::ReadJsonFile(scene), paths);
  for (const std::string& path : paths) {
    if (path.ends_with("/" + name) || path == name) named.push_back(path);
  }
  return named;
}

class OperationsBatchTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::copy(std::string(KV_SOURCE_DIR) + "/examples/demo", demo_, fs::copy_options::recursive); }
  std::string Batch() const { return "--batch --prefs " + folder_ / "prefs" + " " + demo_ + "/demo.bx3 "; }
  kvtest::TempFolder folder_;
  const std::string demo_ = folder_ / "demo";
  // Open the inspector, list every use on its own row.
  const std::string open_ = "--command 1029486 --wait --command 1051540 ";
};

TEST_F(OperationsBatchTest, GlobalizeThenLocalizeKeepTheFoldersInsideTheScene) {
  // Make Paths Absolute of every row: each of the 16 paths, the files beside the scene untouched.
  const auto besideTheScene = [&] {
    auto files = kvtest::FolderState(demo_);
    files.erase(demo_ + "/demo.bx3");
    return files;
  };
  const auto files = besideTheScene();
  const kvtest::ProcessRun absolute = RunBx3(Batch() + open_ + "--command 1029813 --command 1029820 --wait --save");
  ASSERT_EQ(absolute.exitCode, 0) << absolute.output;
  // The second renderer relinked its node material itself.
  EXPECT_THAT(absolute.output, testing::HasSubstr("Node wood relinks tex/marble.exr to " + demo_ + "/tex/marble.exr"));
  std::vector<std::string> paths;
  kvtest::CollectPaths(kvtest::ReadJsonFile(demo_ + "/demo.bx3"), paths);
  EXPECT_EQ(paths.size(), 16u);
  for (const std::string& path : paths) {
    EXPECT_TRUE(path.starts_with(demo_ + "/") || path.starts_with("file://" + demo_ + "/")) << path;
  }
  EXPECT_EQ(besideTheScene(), files) << "write-back changes the scene only";

  fs::remove(demo_ + "/tex/wood.jpg");
  fs::remove(demo_ + "/cache/scene.gi2");
  // Without a selection the command is greyed in the window: the batch refuses it too.
  const kvtest::ProcessRun refused = RunBx3(Batch() + open_ + "--command 1029819 --save");
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_THAT(refused.output, testing::HasSubstr("command 1029819 (Make Paths Relative) is disabled"));
  const kvtest::ProcessRun run = RunBx3(Batch() + open_ + "--command 1029813 --command 1029819 --wait --save");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const std::string scene = demo_ + "/demo.bx3";
  // Node graphs hold URLs; the illumination cache stores its file without the suffix.
  for (const char* name : {"marble.exr", "wood.jpg"}) {
    for (const std::string& path : PathsNamed(scene, name)) {
      EXPECT_TRUE(path == std::string("tex/") + name || path == std::string("relative:tex/") + name) << path;
    }
  }
  // What used to go wrong: missing files were put under illum/ and tex/, which moved where
  // the renderer writes its cache and its picture.
  EXPECT_EQ(PathsNamed(scene, "scene"), std::vector<std::string>{"cache/scene"});
  EXPECT_EQ(PathsNamed(scene, "final.exr"), std::vector<std::string>{"render/final.exr"});
}

TEST_F(OperationsBatchTest, CollectFilesCopiesFrameByFrameKeepsWhatTheUserKeepsAndRelinks) {
  std::ofstream(demo_ + "/crate.obj") << "mine";  // where models/crate.obj would be collected
  const auto originals = kvtest::FolderState(demo_ + "/tex");
  // Yes to the question; no to every missing file and to overwriting crate.obj.
  std::string answers = "--answer yes ";
  for (int i = 0; i < 4; ++i) answers += "--answer no ";
  const kvtest::ProcessRun run = RunBx3(Batch() + open_ + answers + "--command 1050522 --wait --save");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(ReadBytes(demo_ + "/crate.obj"), "mine");
  for (int frame = 1; frame <= 24; ++frame) {
    const std::string name = "flame_00" + std::string(frame < 10 ? "0" : "") + std::to_string(frame) + ".png";
    EXPECT_EQ(ReadBytes(demo_ + "/tex/" + name), ReadBytes(demo_ + "/tex/seq/" + name)) << name;
  }
  EXPECT_EQ(ReadBytes(demo_ + "/hum.wav"), ReadBytes(demo_ + "/media/hum.wav"));
  for (const auto& [path, state] : originals) EXPECT_TRUE(fs::exists(path)) << path << " stays";
  const std::string scene = demo_ + "/demo.bx3";
  EXPECT_EQ(PathsNamed(scene, "hum.wav"), std::vector<std::string>{demo_ + "/hum.wav"});
  EXPECT_EQ(PathsNamed(scene, "flame_0001.png"), std::vector<std::string>{demo_ + "/tex/flame_0001.png"});
  EXPECT_EQ(PathsNamed(scene, "crate.obj"), std::vector<std::string>{demo_ + "/crate.obj"});
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(demo_)) {
    EXPECT_EQ(entry.path().filename().string().find(".copying-"), std::string::npos) << entry.path();
  }
}

// What used to go wrong: the Paths menu ended in a disabled entry "200000273", and search
// folders could only be changed by editing prefs.json.
TEST_F(OperationsBatchTest, TheSearchPathsWindowEditsTheFoldersAndTheInspectorFollows) {
  const std::string library = folder_ / "library";
  const std::string other = folder_ / "other";
  fs::create_directories(library);
  fs::create_directories(other);
  fs::copy_file(demo_ + "/tex/wood.jpg", library + "/rust.png");
  // Both added through the folder dialog; the second moved up and turned off.
  const std::string window = "--command 200000273 --choose " + library + " --press 200000273:1001 --choose " + other +
                             " --press 200000273:1001 --click 1 --press 200000273:1004 --gadget 200000273:1003=false " +
                             "--gadget \"200000273:1007=P:\\proj => " + other + "\" --press 200000273:1008 ";
  const kvtest::ProcessRun run =
      RunBx3(Batch() + open_ + window + "--wait --command 1029486 --report json " + folder_ / "report.json");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const auto prefs = kvtest::ReadJsonFile(folder_ / "prefs/prefs.json");
  ASSERT_EQ(prefs["textureSearchPaths"].size(), 2u) << prefs;
  EXPECT_EQ(prefs["textureSearchPaths"][0], (nlohmann::json{{"path", other}, {"enabled", false}}));
  EXPECT_EQ(prefs["textureSearchPaths"][1], (nlohmann::json{{"path", library}, {"enabled", true}}));
  EXPECT_EQ(prefs["pathMappings"], (nlohmann::json::array({{{"from", "P:\\proj"}, {"to", other}}})));
  // The open inspector resolved again: rust.png is found in the library now.
  const auto report = kvtest::ReadJsonFile(folder_ / "report.json");
  EXPECT_EQ(report["status"], "Listed: 16 (16) - Missing: 2 - Selected: 0");
  bool found = false;
  for (const auto& item : report["items"]) {
    if (item["cells"]["asse"]["text"] == "rust.png") {
      found = item["cells"]["stat"]["icons"] == nlohmann::json::array({bx3::icon::kStatusFoundElsewhere});
    }
  }
  EXPECT_TRUE(found) << report;
}

}  // namespace
