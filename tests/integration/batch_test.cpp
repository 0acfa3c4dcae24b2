// bx3 --batch as a process, with the test module: commands, queued answers, undo, saves,
// tree clicks and edits, reports and screenshots.
#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "run_bx3.h"
#include "scene_files.h"
#include "support/temp_folder.h"

namespace {

using kvtest::RunBx3;

class BatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::ofstream(folder_ / "scene.bx3") << R"({"format": "bx3-scene", "version": 1, "objects": [
      {"id": 1, "type": "object.null", "name": "Table"},
      {"id": 2, "type": "object.speaker", "name": "Radio"}]})";
  }
  kvtest::ProcessRun Batch(const std::string& actions, bool stdoutOnly = false) {
    return RunBx3("--batch --prefs " + folder_ / "prefs" + " --modules " + KV_TEST_MODULES + " " +
                      folder_ / "scene.bx3" + " " + actions,
                  stdoutOnly);
  }
  std::string Scene() { return kvtest::ReadBytes(folder_ / "scene.bx3"); }
  kvtest::TempFolder folder_;
};

TEST_F(BatchTest, CommandsAndQueuedAnswers) {
  struct Case {
    std::string actions;
    int exitCode;
    const char* output;
  };
  const Case cases[] = {
      {"--command 7100", 1, "--command: command 7100 answered false"},  // nobody answered: cancelled
      {"--answer yes --command 7100", 0, ""},
      {"--answer no --command 7100", 1, "answered false"},
      {"--command 'Test 7100' --answer yes", 1, "no answer queued"},  // answers must come first
      {"--command 9999", 1, "no command 9999"},
      {"--choose '' --command 7101", 1, "answered false"},
      {"--undo", 1, "nothing to undo"},
  };
  for (const Case& c : cases) {
    const kvtest::ProcessRun run = Batch(c.actions);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.actions << "\n" << run.output;
    EXPECT_NE(run.output.find(c.output), std::string::npos) << c.actions << "\n" << run.output;
  }
}

TEST_F(BatchTest, UndoRedoAndSave) {
  ASSERT_EQ(Batch("--command 7102 --save").exitCode, 0);
  EXPECT_NE(Scene().find("\"Renamed\""), std::string::npos);
  ASSERT_EQ(Batch("--choose /any/where/Chair.png --command 7101 --undo --redo --save").exitCode, 0);
  EXPECT_NE(Scene().find("\"Chair.png\""), std::string::npos);
  ASSERT_EQ(Batch("--command 7102 --undo --save").exitCode, 0);
  EXPECT_NE(Scene().find("\"Chair.png\""), std::string::npos);

  // A save that fails leaves the scene file as it was.
  const std::string before = Scene();
  const kvtest::ProcessRun failed = Batch("--command 7102 --save " + folder_ / "no/such/folder.bx3");
  EXPECT_EQ(failed.exitCode, 1);
  EXPECT_NE(failed.output.find("--save"), std::string::npos);
  EXPECT_EQ(Scene(), before);
  ASSERT_EQ(Batch("--save " + folder_ / "copy.bx3").exitCode, 0);
  EXPECT_TRUE(std::filesystem::is_regular_file(folder_ / "copy.bx3"));
}

TEST_F(BatchTest, TreeClicksEditsAndReports) {
  const kvtest::ProcessRun run = Batch("--command 7103 --click 1 --report json", true);
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const auto report = nlohmann::json::parse(run.output);
  EXPECT_EQ(report["dialog"], 7103);
  EXPECT_EQ(report["columns"], nlohmann::json::array({"name", "type"}));
  ASSERT_EQ(report["items"].size(), 2u);
  EXPECT_EQ(report["items"][0]["cells"]["name"]["text"], "Table");
  EXPECT_EQ(report["items"][1]["cells"]["type"]["text"], "object.speaker");
  EXPECT_FALSE(report["items"][0]["selected"]);
  EXPECT_TRUE(report["items"][1]["selected"]);
  EXPECT_EQ(report["items"][1]["depth"], 0);
  EXPECT_EQ(report["status"], "2 objects");
  EXPECT_EQ(report["info"], "Objects of the scene");

  ASSERT_EQ(Batch("--command 7103 --edit 0 name Desk --save").exitCode, 0);
  EXPECT_NE(Scene().find("\"Desk\""), std::string::npos);

  const kvtest::ProcessRun text =
      Batch("--command 7103 --report text " + folder_ / "report.txt" + " --screenshot 7103 " + folder_ / "shot.png");
  ASSERT_EQ(text.exitCode, 0) << text.output;
  const std::string reportText = kvtest::ReadBytes(folder_ / "report.txt");
  EXPECT_NE(reportText.find("Desk | object.null"), std::string::npos) << reportText;
  EXPECT_GT(std::filesystem::file_size(folder_ / "shot.png"), 1000u);

  // The report is the JSON document a whole dump would write, whatever its texts hold, and
  // however many pieces it is written in: its rows stay in order.
  constexpr int kPlainObjects = 20000;
  {
    std::ofstream odd(folder_ / "odd.bx3");
    odd << R"({"format": "bx3-scene", "version": 1, "objects": [
      {"id": 1, "type": "object.null", "name": "tab\t \"quoted\" back\\slash \b\f\u0001 \u00e9\u4e2d"},
      {"id": 2, "type": "object.null", "name": ""})";
    for (int i = 0; i < kPlainObjects; ++i) {
      odd << ",\n{\"id\": " << i + 3 << R"(, "type": "object.null", "name": "n)" << i << "\"}";
    }
    odd << "]}";
  }
  ASSERT_EQ(RunBx3("--batch --prefs " + folder_ / "prefs --modules " + KV_TEST_MODULES + " " + folder_ / "odd.bx3" +
                   " --command 7103 --report json " + folder_ / "odd.json" + " --report text " + folder_ / "odd.txt")
                .exitCode,
            0);
  const std::string written = kvtest::ReadBytes(folder_ / "odd.json");
  ASSERT_GT(written.size(), 3u << 20);
  const auto parsed = nlohmann::ordered_json::parse(written);
  EXPECT_EQ(written, parsed.dump(2) + "\n");
  ASSERT_EQ(parsed["items"].size(), size_t(kPlainObjects + 2));
  std::istringstream lines(kvtest::ReadBytes(folder_ / "odd.txt"));
  std::string line;
  std::getline(lines, line);  // the dialog
  std::getline(lines, line);  // the columns
  for (int row = 0; row < kPlainObjects + 2 && std::getline(lines, line); ++row) {
    const std::string name = parsed["items"][size_t(row)]["cells"]["name"]["text"];
    ASSERT_EQ(line.substr(0, 2 + name.size()), "  " + name) << "row " << row;
    if (row >= 2) {
      ASSERT_EQ(name, "n" + std::to_string(row - 2));
    }
  }
  std::getline(lines, line);
  EXPECT_EQ(line, "status: " + parsed["status"].get<std::string>());

  EXPECT_EQ(Batch("--command 7103 --click 5").exitCode, 1);           // no such row
  EXPECT_EQ(Batch("--command 7103 --edit 0 nope Desk").exitCode, 1);  // no such column
  EXPECT_EQ(Batch("--report json").exitCode, 1);                      // nothing open
}

TEST_F(BatchTest, BadArgumentsExitWithTwo) {
  const std::string scene = folder_ / "scene.bx3";
  const std::vector<std::string> bad = {std::string("--batch"),
                                        "--batch --command 1",
                                        "--batch " + scene + " --fly",
                                        "--batch " + scene + " --click x",
                                        "--batch " + scene + " --answer maybe",
                                        "--batch " + scene + " --report xml",
                                        "--batch " + scene + " --gadget 1029486",
                                        "--batch " + folder_ / "missing.bx3",
                                        "--batch " + folder_ / "broken.bx3"};
  std::ofstream(folder_ / "broken.bx3") << R"({"format": "bx3-scene", "version": 1, "objects": [{"id": 1}]})";
  for (const std::string& arguments : bad) {
    const kvtest::ProcessRun run = RunBx3("--prefs " + folder_ / "prefs " + arguments);
    EXPECT_EQ(run.exitCode, 2) << arguments << "\n" << run.output;
  }
}

}  // namespace
