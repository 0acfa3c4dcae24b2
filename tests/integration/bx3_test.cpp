// Runs the built bx3 as a process, the way pipelines do.
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace {

struct ProcessRun {
  int exitCode;
  std::string output;  // stdout and stderr
};

ProcessRun RunBx3(const std::string& arguments) {
  const std::string command = std::string(KV_BX3) + " " + arguments + " 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return {-1, ""};
  std::string output;
  std::array<char, 4096> buffer{};
  while (size_t count = std::fread(buffer.data(), 1, buffer.size(), pipe)) output.append(buffer.data(), count);
  const int status = ::pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::stringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

class Bx3Test : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kv_bx3_XXXXXX";
    folder_ = ::mkdtemp(pattern);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::string Prefs() const { return "--prefs " + folder_ + "/prefs"; }
  std::string folder_;
};

TEST_F(Bx3Test, ListsTheInspectorsCommandsInRegistrationOrder) {
  const ProcessRun run = RunBx3(Prefs() + " --list-commands");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const auto lines = Lines(run.output);
  ASSERT_EQ(lines.size(), 47u) << run.output;
  EXPECT_EQ(lines[0], "1029486\tAsset Inspector...\t");
  EXPECT_EQ(lines[1].rfind("1040764\t", 0), 0u);
  EXPECT_EQ(lines[46].rfind("1051539\t", 0), 0u);
  for (const std::string& line : lines) {
    EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 2) << line;
  }
}

TEST_F(Bx3Test, ExitCodes) {
  std::ofstream(folder_ + "/broken.bx3") << "{\"format\": \"bx3-scene\", \"version\": 1, \"objects\": [{}]}";
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
      {folder_ + "/missing.bx3", 2, "missing.bx3: no such file"},
      {folder_ + "/broken.bx3", 2, "broken.bx3: /objects/0/id: needs a positive integer id"},
      {"--assets " + folder_ + "/scene.bx3", 0, "audio/song.wav\tRadio\t2140"},
  };
  for (const Case& c : cases) {
    const ProcessRun run = RunBx3(Prefs() + " " + c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments << "\n" << run.output;
    EXPECT_NE(run.output.find(c.output), std::string::npos) << c.arguments << "\n" << run.output;
  }
}

}  // namespace
