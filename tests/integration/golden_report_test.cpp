// Whole reports of the inspector on the demo, one per group mode with every column shown and
// every row selected, compared with the reports kept in ref/. A change in any cell, status or
// information text shows up here and in review. After an intended change, write them anew:
//   KV_UPDATE_GOLDEN=1 build/default/tests/integration_tests --gtest_filter='Golden*'
#include <gtest/gtest.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "inspector_ids.h"
#include "run_bx3.h"
#include "support/temp_folder.h"

namespace {

// The columns a new window hides: shown, so that every cell is compared.
using namespace kv;
constexpr int32_t kHiddenColumns[] = {kCmdViewGlobalPath, kCmdViewNewPath,  kCmdViewElementType,
                                      kCmdViewFormat,     kCmdViewFileSize, kCmdViewResolution};
constexpr std::pair<int32_t, const char*> kNamedGroupModes[] = {{kGroupNone, "none"},
                                                                {kGroupByAsset, "asset"},
                                                                {kGroupByAssetType, "asset_type"},
                                                                {kGroupByElementType, "element_type"},
                                                                {kGroupByLayer, "layer"},
                                                                {kGroupByTake, "take"},
                                                                {kGroupByNodeSpace, "node_space"},
                                                                {kGroupByFormat, "format"}};

// Every text with the demo's folder in it names it "<demo>" instead: the rest is the same on
// any machine.
void ReplaceFolder(nlohmann::json& value, const std::string& folder) {
  if (value.is_string()) {
    std::string text = value.get<std::string>();
    for (size_t at = text.find(folder); at != std::string::npos; at = text.find(folder, at + 6)) {
      text.replace(at, folder.size(), "<demo>");
    }
    value = text;
  } else if (value.is_structured()) {
    for (auto& item : value) ReplaceFolder(item, folder);
  }
}

TEST(GoldenReportTest, TheDemoInEveryGroupMode) {
  kvtest::TempFolder folder;
  std::filesystem::copy(std::string(KV_SOURCE_DIR) + "/examples/demo", folder / "demo",
                        std::filesystem::copy_options::recursive);
  const bool update = std::getenv("KV_UPDATE_GOLDEN") != nullptr;
  for (const auto& [mode, name] : kNamedGroupModes) {
    std::filesystem::remove_all(folder / "prefs");
    std::string actions = " --command 1029486 --wait";
    for (int32_t column : kHiddenColumns) actions += " --command " + std::to_string(column);
    actions +=
        " --command " + std::to_string(mode) + " --command 1029813 --wait --report json " + folder / "report.json";
    const kvtest::ProcessRun run =
        kvtest::RunBx3("--batch --prefs " + folder / "prefs" + " " + folder / "demo/demo.bx3" + actions, false,
                       30 * kvtest::kSlowdown);
    ASSERT_EQ(run.exitCode, 0) << name << "\n" << run.output;
    nlohmann::json report = kvtest::ReadJsonFile(folder / "report.json");
    ASSERT_FALSE(report.is_discarded()) << name;
    ReplaceFolder(report, std::filesystem::canonical(folder / "demo").string());
    ReplaceFolder(report, folder / "demo");
    const std::string reference = std::string(KV_SOURCE_DIR) + "/tests/integration/ref/demo_" + name + ".json";
    if (update) {
      std::ofstream(reference) << report.dump(1) << "\n";
      continue;
    }
    const nlohmann::json expected = kvtest::ReadJsonFile(reference);
    ASSERT_FALSE(expected.is_discarded()) << reference << " is missing or not JSON";
    // Compared as text, so that a difference shows as lines.
    EXPECT_EQ(report.dump(1), expected.dump(1)) << name;
  }
}

}  // namespace
