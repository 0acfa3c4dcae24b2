// The inspector driven by bx3 --batch as a process: every view command on a generated scene of
// 100,000 uses ends, with bounds that catch a hang, not a speed. (On the demo, the golden
// reports run every column and group command.)
#include <gtest/gtest.h>
#include <fstream>
#include <nlohmann/json.hpp>

#include "run_bx3.h"
#include "support/big_scene.h"
#include "support/temp_folder.h"

namespace {

using kvtest::RunBx3;

// The columns that are off in a new window first: each one makes the list wider.
constexpr int32_t kColumnCommands[] = {1029827, 1050586, 1050882, 1050850, 1029826, 1050849, 1029824,
                                       1029825, 1029828, 1029829, 1029830, 1050557, 1050848, 1051186};
constexpr int32_t kGroupModes[] = {1051540, 1051433, 1051534, 1051435, 1051436, 1051437, 1051438, 1051539};

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
  // Grouped by format at the end: the probed pictures, and the missing files by their suffix.
  ASSERT_EQ(report["items"].size(), 2u);
  EXPECT_EQ(report["status"], "Listed: 2 (100000) - Missing: 85000 - Selected: 0");
}

}  // namespace
