// The inspector driven by bx3 --batch as a process: every view command on a generated scene of
// 100,000 uses ends, with bounds that catch a hang, not a speed. (On the demo, the golden
// reports run every column and group command.)
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "inspector_ids.h"
#include "run_bx3.h"
#include "scene_files.h"
#include "support/big_scene.h"
#include "support/temp_folder.h"

namespace {

using kvtest::ReadBytes;
using kvtest::RunBx3;

using kv::kGroupModes;
using kvtest::kColumnCommands;

TEST(InspectorBigSceneTest, EveryViewCommandOnAHundredThousandUsesEnds) {
  kvtest::TempFolder folder;
  const std::string scene = kvtest::WriteBigScene(folder.Path());
  std::string actions = "--command 1029486 --wait --command 1051540 --header stat";
  for (int32_t command : kColumnCommands) actions += " --command " + std::to_string(command);
  for (int32_t mode : kGroupModes) actions += " --command " + std::to_string(mode);
  actions += " --command 1029813 --command 1029817 --wait --report json " + folder / "report.json";
  const kvtest::ProcessRun run =
      RunBx3("--batch --prefs " + folder / "prefs" + " " + scene + " " + actions, false, 30 * kvtest::kSlowdown);
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const auto report = kvtest::ReadJsonFile(folder / "report.json");
  ASSERT_FALSE(report.is_discarded());
  // Grouped by format at the end: found and missing pictures in one group, as the readers
  // name their format.
  ASSERT_EQ(report["items"].size(), 1u);
  EXPECT_EQ(report["status"], "Listed: 1 (100000) - Missing: 85000 - Selected: 0");
}

TEST(InspectorBatchTest, ClicksEditsContextMenuAndFileCommandsOnTheDemo) {
  kvtest::TempFolder folder;
  const std::string demo = folder / "demo";
  std::filesystem::copy(std::string(KV_SOURCE_DIR) + "/examples/demo", demo, std::filesystem::copy_options::recursive);
  const std::string batch = "--batch --prefs " + folder / "prefs" + " " + demo + "/demo.bx3 --command 1029486 --wait ";
  const auto report = [&](const std::string& actions) {
    const kvtest::ProcessRun run = RunBx3(batch + actions + " --wait --report json " + folder / "report.json");
    EXPECT_EQ(run.exitCode, 0) << actions << "\n" << run.output;
    return kvtest::ReadJsonFile(folder / "report.json");
  };
  const auto selectedRows = [](const nlohmann::json& json) {
    std::vector<size_t> rows;
    for (size_t i = 0; i < json["items"].size(); ++i) {
      if (json["items"][i]["selected"]) rows.push_back(i);
    }
    return rows;
  };

  // Row 2 is final.exr, missing; the information text describes it.
  const auto clicked = report("--click 2");
  EXPECT_EQ(selectedRows(clicked), std::vector<size_t>{2});
  EXPECT_NE(clicked["info"].get<std::string>().find("Missing"), std::string::npos) << clicked["info"];
  const auto changed = report("--click 2 --click-add 4 --click-add 7 --click-remove 2");
  EXPECT_EQ(selectedRows(changed), (std::vector<size_t>{4, 7}));
  EXPECT_EQ(changed["status"], "Listed: 13 (16) - Missing: 3 - Selected: 4");  // marble.exr holds three uses

  // The fold arrow of marble.exr's group: its three uses appear below it.
  const auto folded = report("--click 7 asse");
  ASSERT_EQ(folded["items"].size(), 16u);
  for (size_t row : {8, 9, 10}) EXPECT_EQ(folded["items"][row]["depth"], 1) << row;

  const auto all = report("--context 3 path 900016");
  EXPECT_EQ(selectedRows(all).size(), 13u);

  // Renaming one use's file changes exactly that use; one undo gives the scene back. A name
  // in the element column is renamed in place (what used to go wrong: the batch double click
  // landed on the column's icon, which shows the element instead).
  ASSERT_EQ(RunBx3(batch + "--save " + folder / "plain.bx3").exitCode, 0);
  ASSERT_EQ(RunBx3(batch + "--edit 4 elem Stone --edit 4 asse bump.tif --save " + folder / "edited.bx3").exitCode, 0);
  const std::string plain = ReadBytes(folder / "plain.bx3");
  std::string expected = plain;
  expected.replace(expected.find("tex/height16.tif"), 16, "tex/bump.tif");
  ASSERT_NE(expected.find("\"name\": \"Marble\""), std::string::npos);
  expected.replace(expected.find("\"name\": \"Marble\""), 16, "\"name\": \"Stone\"");
  EXPECT_EQ(ReadBytes(folder / "edited.bx3"), expected);
  ASSERT_EQ(RunBx3(batch + "--edit 4 asse bump.tif --undo --save " + folder / "undone.bx3").exitCode, 0);
  EXPECT_EQ(ReadBytes(folder / "undone.bx3"), plain);

  // Each file and manager command says what it shows of the current row.
  const kvtest::ProcessRun commands = RunBx3(
      batch + "--click 4 --command 1040764 --command 1040765 --command 1040766 --command 1040767 --command 1040768");
  ASSERT_EQ(commands.exitCode, 0) << commands.output;
  for (const std::string& line : {"bx3: file browser shows " + demo + "/tex/height16.tif",
                                  "bx3: file browser opens " + demo + "/tex/height16.tif",
                                  "bx3: picture viewer shows " + demo + "/tex/height16.tif",
                                  std::string("bx3: attribute manager shows \"Marble bump\" (mode 4"),
                                  std::string("bx3: attribute manager shows \"Marble\" (mode 3")}) {
    EXPECT_NE(commands.output.find(line), std::string::npos) << line << "\n" << commands.output;
  }
}

}  // namespace
