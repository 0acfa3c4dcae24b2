// Runs the built bx3 as a process, the way pipelines do.
#include <sys/wait.h>

#include <gtest/gtest.h>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "bx3/commands.h"
#include "bx3/host.h"
#include "bx3/module.h"
#include "run_bx3.h"
#include "support/big_scene.h"
#include "support/temp_folder.h"

namespace {

using kvtest::Lines;
using kvtest::ProcessRun;
using kvtest::RunBx3;

class Bx3Test : public ::testing::Test {
 protected:
  std::string Prefs() const { return "--prefs " + folder_ + "/prefs"; }
  kvtest::TempFolder temp_;
  const std::string folder_ = temp_.Path();
};

TEST_F(Bx3Test, ListsTheInspectorsCommandsInRegistrationOrder) {
  const ProcessRun run = RunBx3(Prefs() + " --list-commands");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const auto lines = Lines(run.output);
  // The host's four commands, then the inspector's 49.
  ASSERT_EQ(lines.size(), 53u) << run.output;
  EXPECT_EQ(lines[0], "431000053\tTake Manager\t");
  EXPECT_EQ(lines[2].rfind("200000273\tTexture Search Paths...\t", 0), 0u);
  EXPECT_EQ(lines[4], "1029486\tAsset Inspector...\t");  // the order after it: EntryTest
  for (const std::string& line : lines) EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 2) << line;
}

TEST_F(Bx3Test, ExitCodes) {
  std::ofstream(folder_ + "/scene.bx3")
      << R"({"format": "bx3-scene", "version": 1, "objects": [{"id": 1, "type": "object.speaker",
            "name": "Radio", "params": {"2140": {"file": "audio/song.wav"}}}]})";
  struct Case {
    std::string arguments;
    int exitCode;
    const char* output;
  };
  const Case cases[] = {
      {"--version", 0, "bx3 0.1.0"},
      {"--help", 0, "usage: bx3"},
      {"--no-such-option", 2, "unknown option --no-such-option"},
      {"a.bx3 b.bx3", 2, "only one scene"},
      {"--prefs", 2, "--prefs needs a folder"},
      {"--assets", 2, "--assets needs a scene"},
      {"--assets " + folder_ + "/scene.bx3", 0, "audio/song.wav\tRadio\t2140"},
  };
  for (const Case& c : cases) {
    const ProcessRun run = RunBx3(Prefs() + " " + c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments << "\n" << run.output;
    EXPECT_NE(run.output.find(c.output), std::string::npos) << c.arguments << "\n" << run.output;
  }
}

// The media libraries are opened by the first file that only they read, not at start: a scene
// that reads none, or only PNG headers (read without them), maps none of them, nor does its check.
TEST_F(Bx3Test, MediaLibrariesAreOpenedByTheFirstFileRead) {
  std::ofstream(folder_ + "/empty.bx3") << R"({"format": "bx3-scene", "version": 1})";
  std::ofstream(folder_ + "/pictures.bx3") << R"({"format": "bx3-scene", "version": 1, "materials": [
      {"id": 1, "type": "material.standard", "name": "M", "children": [
        {"id": 2, "type": "shader.bitmap", "name": "S", "params": {"1000": {"file": "tiny.png"}}}]}]})";
  std::ofstream(folder_ + "/tiny.png", std::ios::binary)
      .write(reinterpret_cast<const char*>(kvtest::kTinyPng), sizeof kvtest::kTinyPng);
  const auto libraries = [&](const std::string& arguments) {
    return RunBx3(Prefs() + " " + arguments, false, 60 * kvtest::kSlowdown, "LD_DEBUG=files ").output;
  };
  for (const std::string& arguments : {" --batch " + folder_ + "/empty.bx3 --command 1029486 --wait",
                                       " --batch " + folder_ + "/pictures.bx3 --command 1029486 --wait --report text",
                                       " --check " + folder_ + "/pictures.bx3 --probe --json -"}) {
    const std::string opened = libraries(arguments);
    ASSERT_NE(opened.find("libbx3host_core"), std::string::npos) << "the loader lists what it opens";
    if (arguments.find("pictures") != std::string::npos) {
      EXPECT_NE(opened.find("tiny.png"), std::string::npos) << arguments;
    }
    for (const char* library : {"libbrantic_media_readers", "libOpenImageIO", "libavformat", "libsndfile"}) {
      EXPECT_EQ(opened.find(library), std::string::npos) << library << " for" << arguments;
    }
  }
  const std::string demo =
      libraries(" --batch " + std::string(KV_SOURCE_DIR) + "/examples/demo/demo.bx3 --command 1029486 --wait");
  for (const char* library : {"libbrantic_media_readers", "libOpenImageIO", "libavformat", "libsndfile"}) {
    EXPECT_NE(demo.find(library), std::string::npos) << library;
  }
}

// The built module, loaded the way bx3 loads it.
TEST(ModuleLoaderTest, LoadsRegistersAndUnloadsTheBuiltModule) {
  {
    auto module = bx3::LoadedModule::Load(KV_MODULE);
    ASSERT_TRUE(module.HasValue()) << module.GetError().Message();
    EXPECT_TRUE((*module)->Problem().empty());
    EXPECT_EQ(bx3::GetRegisteredCommands().size(), 49u);
    EXPECT_EQ(bx3::GetRegisteredCommands().front().name, "Asset Inspector...");
    EXPECT_EQ((*module)->Call(bx3::kModuleQuery), 5);  // the entry's other answers: EntryTest
    bx3::FreeRegisteredCommands();
  }
  auto missing = bx3::LoadedModule::Load("/nonexistent/module.so");
  ASSERT_FALSE(missing.HasValue());
  EXPECT_NE(missing.GetError().Message().find("cannot load"), std::string::npos);
}

TEST(ModuleLoaderTest, SkipsLibrariesThatAreNotModules) {
  kvtest::TempFolder temp;
  const std::string folder = temp.Path();
  std::filesystem::create_directories(folder + "/plain");
  // Any shared library without bx3_main: the C library's math part will do.
  std::filesystem::copy_file(std::filesystem::canonical("/lib/x86_64-linux-gnu/libm.so.6"),
                             folder + "/plain/libplain.so");
  std::ofstream(folder + "/plain/broken.so") << "not a library";
  std::vector<std::string> problems;
  auto modules = bx3::LoadModules(folder, problems);
  EXPECT_TRUE(modules.empty());
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_NE(problems[1].find("not a module (no bx3_main)"), std::string::npos) << problems[1];
  EXPECT_TRUE(bx3::LoadModules(folder + "/none", problems).empty());
}

}  // namespace
