// bx3 --check, --scan and --merge as pipelines run them: exit codes, the report against its
// schema, a project's users and orphans, and shards run side by side by the parallel recipe.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "run_bx3.h"
#include "scene_files.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using kvtest::ReadBytes;
using kvtest::RunBx3;

class CheckBatchTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::copy(std::string(KV_SOURCE_DIR) + "/examples/demo", demo_, fs::copy_options::recursive); }
  std::string Bx3(const std::string& arguments) const { return "--prefs " + folder_ / "prefs " + arguments; }
  // Twelve shots in folders of their own that all use one texture; one more file that none uses.
  std::string MakeProject() const {
    const std::string project = folder_ / "project";
    fs::create_directories(project + "/tex");
    fs::copy_file(demo_ + "/tex/wood.jpg", project + "/tex/wood.jpg");
    std::ofstream(project + "/tex/unused.png") << "x";
    for (int shot = 1; shot <= 12; ++shot) {
      kvtest::WriteBytes(project + "/shots/s" + std::to_string(shot) + "/shot.bx3",
                         R"({"format": "bx3-scene", "version": 1, "materials": [{"id": 1, "type": "shader.bitmap",
                             "params": {"1000": {"file": "../../tex/wood.jpg"}}}]})");
    }
    return project;
  }
  // Validates a report against docs/check.schema.json; empty when it holds.
  static std::string SchemaProblems(const std::string& report) {
    const std::string command =
        "/usr/bin/python3 -m jsonschema -i " + report + " " + KV_SOURCE_DIR + "/docs/check.schema.json 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string output;
    char buffer[4096];
    while (size_t count = std::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, count);
    return ::pclose(pipe) == 0 ? "" : output + " ";
  }

  kvtest::TempFolder folder_;
  const std::string demo_ = folder_ / "demo";
};

TEST_F(CheckBatchTest, TheDemoLacksThreeFilesAndThePolicyDecidesTheExitCode) {
  const std::string report = folder_ / "demo.json";
  const kvtest::ProcessRun run = RunBx3(Bx3("--check " + demo_ + "/demo.bx3 --json " + report));
  EXPECT_EQ(run.exitCode, 3) << run.output;
  EXPECT_NE(run.output.find("3 missing"), std::string::npos) << run.output;
  EXPECT_EQ(SchemaProblems(report), "");
  const nlohmann::json json = kvtest::ReadJsonFile(report);
  std::vector<std::string> missing;
  for (const auto& asset : json["assets"]) {
    if (asset["status"] == "missing") missing.push_back(asset["path"]);
    if (asset["path"] == "tex/wood.jpg") {
      EXPECT_EQ(asset["usedBy"].size(), 2u) << asset.dump();
      EXPECT_EQ(asset["resolved"], fs::canonical(demo_ + "/tex/wood.jpg").string());
    }
  }
  EXPECT_EQ(missing, (std::vector<std::string>{"render/final.exr", "tex/decal.png", "tex/rust.png"}));
  std::uintmax_t bytes = 0;  // the demo ships small
  for (const auto& entry : fs::recursive_directory_iterator(demo_)) {
    if (entry.is_regular_file()) bytes += entry.file_size();
  }
  EXPECT_LT(bytes, 2u * 1024 * 1024);

  const struct {
    std::string options;
    int exitCode;
  } policies[] = {
      {"--fail-on none", 0},
      {"--fail-on absolute,unreadable", 0},
      {"--fail-on missing", 3},
      {"--fail-on lost", 2},
      {"--project-root " + demo_ + "/tex --fail-on outside-project", 3},
      {"--shard 1/2", 2},
  };
  for (const auto& policy : policies) {
    EXPECT_EQ(RunBx3(Bx3("--check " + demo_ + "/demo.bx3 " + policy.options)).exitCode, policy.exitCode)
        << policy.options;
  }
  // A scene opened through a linked folder lies inside the root that folder leads to.
  fs::create_directory_symlink(demo_, folder_ / "linked");
  EXPECT_EQ(RunBx3(Bx3("--check " + folder_ / "linked/demo.bx3 --project-root " + demo_ + " --fail-on outside-project"))
                .exitCode,
            0);
  // The same scene gives the same bytes; on stdout too.
  const kvtest::ProcessRun again = RunBx3(Bx3("--check " + demo_ + "/demo.bx3 --json -"), true);
  EXPECT_EQ(again.output, ReadBytes(report));
}

TEST_F(CheckBatchTest, UnreadableScenesAndDamagedPictures) {
  std::ofstream(folder_ / "broken.bx3") << "{\"format\": ";
  kvtest::ProcessRun run = RunBx3(Bx3("--check " + demo_ + "/demo.bx3 " + folder_ / "broken.bx3 --fail-on none"));
  EXPECT_EQ(run.exitCode, 2) << run.output;
  EXPECT_NE(run.output.find("broken.bx3"), std::string::npos) << run.output;
  EXPECT_EQ(RunBx3(Bx3("--check " + folder_ / "none.bx3")).exitCode, 2);
  EXPECT_EQ(RunBx3(Bx3("--check")).exitCode, 2);

  // A picture that is there but cannot be read counts only when headers are read.
  std::ofstream(demo_ + "/tex/wood.jpg", std::ios::trunc) << "not a picture";
  const std::string options = "--check " + demo_ + "/demo.bx3 --fail-on unreadable";
  EXPECT_EQ(RunBx3(Bx3(options)).exitCode, 0);
  run = RunBx3(Bx3(options + " --probe --json " + folder_ / "probed.json"));
  EXPECT_EQ(run.exitCode, 3) << run.output;
  const nlohmann::json probed = kvtest::ReadJsonFile(folder_ / "probed.json");
  for (const auto& asset : probed["assets"]) {
    const bool unreadable = asset["problems"].dump().find("unreadable") != std::string::npos;
    EXPECT_EQ(unreadable, asset["path"] == "tex/wood.jpg") << asset.dump();
  }
}

TEST_F(CheckBatchTest, AProjectScanListsEveryUserAndTheOrphansAndShardsMergeToTheSameBytes) {
  const std::string project = MakeProject();
  const std::string whole = folder_ / "whole.json";
  const std::string scan = "--scan " + project + " --project-root " + project;
  ASSERT_EQ(RunBx3(Bx3(scan + " --json " + whole)).exitCode, 0);
  EXPECT_EQ(SchemaProblems(whole), "");
  const nlohmann::json json = kvtest::ReadJsonFile(whole);
  ASSERT_EQ(json["assets"].size(), 1u);
  EXPECT_EQ(json["assets"][0]["usedBy"].size(), 12u);
  EXPECT_EQ(json["orphans"], nlohmann::json::array({fs::canonical(project).string() + "/tex/unused.png"}));

  // Three shards merged, by hand and by the recipe that runs them side by side.
  std::string shards;
  for (int shard = 1; shard <= 3; ++shard) {
    const std::string report = folder_ / ("shard" + std::to_string(shard) + ".json");
    ASSERT_EQ(RunBx3(Bx3(scan + " --shard " + std::to_string(shard) + "/3 --json " + report)).exitCode, 0);
    shards += " " + report;
  }
  ASSERT_EQ(RunBx3(Bx3("--merge" + shards + " --json " + folder_ / "merged.json")).exitCode, 0);
  EXPECT_EQ(ReadBytes(folder_ / "merged.json"), ReadBytes(whole));
  EXPECT_EQ(RunBx3(Bx3("--merge" + shards + " " + shards)).exitCode, 2) << "a scene in two reports";

  const std::string recipe = "BX3=" + std::string(KV_BX3) + " " + KV_SOURCE_DIR + "/scripts/check-parallel " + project +
                             " 3 " + folder_ / "parallel.json --project-root " + project +
                             " --fail-on missing >/dev/null";
  ASSERT_EQ(std::system(recipe.c_str()), 0);
  EXPECT_EQ(ReadBytes(folder_ / "parallel.json"), ReadBytes(whole));
}

}  // namespace
