// bx3 as a process against hostile input: bad scenes, bad preferences, saves that cannot
// finish. Every refusal names the file, where in it, and what is wrong; nothing crashes.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <vector>

#include "run_bx3.h"
#include "scene_files.h"
#include "support/temp_folder.h"

namespace {

using kvtest::RunBx3;

const std::string kHead = R"({"format": "bx3-scene", "version": 1, )";

std::string Repeat(const std::string& part, size_t count) {
  std::string text;
  text.reserve(part.size() * count);
  for (size_t i = 0; i < count; ++i) text += part;
  return text;
}

// A scene whose objects are `objects`.
std::string Objects(const std::string& objects) { return kHead + R"("objects": [)" + objects + "]}"; }

// A scene whose takes are `takes`.
std::string Takes(const std::string& takes) { return kHead + R"("takes": [)" + takes + "]}"; }

// One null object with `members` after its id and type.
std::string Null(const std::string& members) { return Objects(R"({"id": 1, "type": "object.null", )" + members + "}"); }

// One null object with `params` as its parameters.
std::string WithParams(const std::string& params) { return Null(R"("params": {)" + params + "}"); }

// Takes in a chain, each the child of the one before, listed children first.
std::string TakeChain(int count) {
  std::string takes;
  for (int id = count; id >= 2; --id) {
    takes += R"({"id": )" + std::to_string(id) + R"(, "parent": )" + std::to_string(id - 1) + "}, ";
  }
  // The main take must come first: the chain below it follows in reverse.
  return kHead + R"("takes": [{"id": 1, "name": "Main"}, )" + takes.substr(0, takes.size() - 2) + "]}";
}

// A scene that is refused with exit code 2 and a message with `words`; without words, one that loads.
struct SceneCase {
  std::string name, text;
  std::vector<std::string> words;
};

std::vector<SceneCase> SceneCases() {
  const std::string deepChildren = Repeat(R"({"id": 1, "type": "object.null", "children": [)", 1) + [] {
    std::string inner;
    for (int i = 2; i <= 1500; ++i) {
      inner += R"({"id": )" + std::to_string(i) + R"(, "type": "object.null", "children": [)";
    }
    return inner;
  }() + Repeat("]}", 1500);
  return {
      // The text is not JSON.
      {"not_json", "hello", {"line 1, column 1", "not a valid scene file"}},
      {"empty", "", {"unexpected end"}},
      {"truncated", kHead + R"("objects": [{"id": 1)", {"unexpected end"}},
      {"binary", std::string("\x89PNG\r\n\x1a\n\0\0", 10), {"not a valid scene file"}},
      {"trailing_comma", kHead + R"("objects": [],})", {"line 1", "expected a member name"}},
      {"trailing_nuls", Objects("") + std::string(64, '\0'), {"more data after the end"}},
      {"second_document", Objects("") + "\n{}", {"line 2, column 1", "more data after the end"}},
      {"float_overflow", WithParams(R"("5": {"float": 1e400})"), {"1e400 is out of range"}},
      {"deep_arrays",
       kHead + R"("extra": )" + std::string(600000, '[') + std::string(600000, ']') + "}",
       {"nested deeper than 4096 levels"}},
      {"deep_objects",
       kHead + Repeat(R"("a": {)", 100000) + "\"b\": 1" + Repeat("}", 100000) + "}",
       {"nested deeper than 4096 levels"}},
      {"non_utf8_name", Null("\"name\": \"\xff\xfe\""), {"not UTF-8"}},
      {"control_character", Null("\"name\": \"a\x01\""), {"control character"}},
      {"bad_escape", Null(R"("name": "\q")"), {"unknown escape"}},
      {"lone_surrogate", Null(R"("name": "\udc00")"), {"bad \\u escape"}},
      {"unclosed_huge_text",
       kHead + R"("objects": [{"id": 1, "type": "object.null", "name": ")" + std::string(8 << 20, 'x'),
       {"not closed"}},
      // The JSON makes no scene.
      {"root_array", "[1, 2]", {"/: the scene must be a JSON object"}},
      {"other_format", R"({"format": "other", "version": 1})", {"/format: must be \"bx3-scene\""}},
      {"no_format", R"({"version": 1})", {"/format: must be"}},
      {"future_version", R"({"format": "bx3-scene", "version": 9})", {"/version: unsupported version"}},
      {"fraction_version", R"({"format": "bx3-scene", "version": 1.5})", {"/version: unsupported version"}},
      {"objects_not_array", kHead + R"("objects": {}})", {"/objects: must be an array"}},
      {"element_not_object", Objects(R"(5)"), {"/objects/0: an element must be an object"}},
      {"no_id", Objects(R"({"type": "object.null"})"), {"/objects/0/id: needs a positive integer id"}},
      {"zero_id", Objects(R"({"id": 0, "type": "object.null"})"), {"/objects/0/id: needs a positive"}},
      {"text_id", Objects(R"({"id": "1", "type": "object.null"})"), {"/objects/0/id: needs a positive"}},
      {"duplicate_id",
       Objects(R"({"id": 1, "type": "object.null"}, {"id": 1, "type": "object.null"})"),
       {"/objects/1/id: duplicate id 1"}},
      {"no_type", Objects(R"({"id": 1})"), {"/objects/0/type: needs a type name"}},
      {"unknown_type", Objects(R"({"id": 1, "type": "teapot"})"), {"unknown element type \"teapot\""}},
      {"misplaced_type", Objects(R"({"id": 1, "type": "take"})"), {"\"take\" cannot stand here"}},
      {"name_twice", Null(R"("name": "a", "name": "b")"), {"/objects/0/name: appears twice"}},
      {"name_not_text", Null(R"("name": 5)"), {"/objects/0/name: must be a text"}},
      {"params_not_object", Null(R"("params": [])"), {"/objects/0/params: must be an object of parameters"}},
      {"param_key_text", WithParams(R"("x": {"int": 5})"), {"/objects/0/params/x: parameter keys are 32-bit"}},
      {"param_key_too_large", WithParams(R"("99999999999": {"int": 5})"), {"parameter keys are 32-bit"}},
      {"param_two_values", WithParams(R"("5": {"int": 1, "bool": true})"), {"/objects/0/params/5: a parameter"}},
      {"param_unknown_kind", WithParams(R"("5": {"color": 1})"), {"unknown value type \"color\""}},
      {"int_wraps",
       WithParams(R"("5": {"int": 18446744073709551615})"),
       {"/objects/0/params/5/int: must be a 32-bit integer"}},
      {"int_too_large", WithParams(R"("5": {"int": 2147483648})"), {"must be a 32-bit integer"}},
      {"int_fraction", WithParams(R"("5": {"int": 1.5})"), {"must be a 32-bit integer"}},
      {"bool_not_bool", WithParams(R"("5": {"bool": 1})"), {"must be true or false"}},
      {"time_zero_denominator", WithParams(R"("5": {"time": [1, 0]})"), {"a time is [numerator, positive"}},
      {"time_three_parts", WithParams(R"("5": {"time": [1, 2, 3]})"), {"a time is [numerator, positive"}},
      {"file_not_text", WithParams(R"("5": {"file": 7})"), {"/objects/0/params/5/file: must be a file name"}},
      {"dangling_link", WithParams(R"("5": {"link": 9})"), {"/objects/0/params/5/link: dangling link to element 9"}},
      {"dangling_layer", Null(R"("layer": 7)"), {"/objects/0/layer: dangling link to element 7"}},
      {"layer_not_layer", Null(R"("layer": 1)"), {"links to an element that is no layer"}},
      {"children_not_array", Null(R"("children": 3)"), {"/objects/0/children: must be an array"}},
      {"deep_children", Objects(deepChildren), {"nested deeper than 1000 levels"}},
      {"take_cycle",
       Takes(R"({"id": 1}, {"id": 2, "parent": 3}, {"id": 3, "parent": 2})"),
       {"/takes/1/parent: the take hierarchy has a cycle"}},
      {"take_self_parent", Takes(R"({"id": 1}, {"id": 2, "parent": 2})"), {"has a cycle"}},
      {"take_unknown_parent", Takes(R"({"id": 1}, {"id": 2, "parent": 9})"), {"no take with id 9"}},
      {"two_main_takes", Takes(R"({"id": 1}, {"id": 2})"), {"only the main take has no parent"}},
      {"override_param_too_large",
       kHead + R"("materials": [{"id": 1, "type": "shader.bitmap"}], "takes": [{"id": 2}, {"id": 3, "parent": 2,
        "overrides": [{"element": 1, "param": 1099511628776, "value": {"file": "b.png"}}]}]})",
       {"/takes/1/overrides/0/param: needs a 32-bit parameter id"}},
      {"override_without_element",
       Takes(R"({"id": 1, "overrides": [{"param": 5, "value": {"int": 1}}]})"),
       {"/takes/0/overrides/0/element: needs the id"}},
      {"dangling_active", kHead + R"("activeMaterial": 5})", {"/activeMaterial: no element with id 5"}},
      {"paint_textures_not_array", kHead + R"("paintTextures": "a.png"})", {"/paintTextures: must be an array"}},
      {"bad_preview", kHead + R"("preview": {"png": "***"}})", {"/preview/png: is not valid base64"}},
      {"duplicate_node_path",
       Null(R"("graphs": [{"space": "s", "nodes": [{"path": "a"}, {"path": "a"}]}])"),
       {"/objects/0/graphs/0/nodes/1/path: duplicate node path \"a\""}},
      // Odd but sound: these load.
      {"take_chain_children_first", TakeChain(20000), {}},
      {"tiny_float", WithParams(R"("5": {"float": 1e-400})"), {}},
      {"outside_link", WithParams(R"("5": {"link": null})"), {}},
      {"huge_name", Null("\"name\": \"" + std::string(16 << 20, 'n') + "\""), {}},
  };
}

TEST(HostileFilesTest, BadScenesAreRefusedWithExitAndMessage) {
  kvtest::TempFolder folder;
  const std::vector<SceneCase> cases = SceneCases();
  ASSERT_GE(cases.size(), 40u);
  // Each case is a process of its own; a few run side by side.
  for (const SceneCase& c : cases) std::ofstream(folder / (c.name + ".bx3"), std::ios::binary) << c.text;
  constexpr size_t kSideBySide = 3;
  std::vector<kvtest::ProcessRun> results;
  for (size_t first = 0; first < cases.size(); first += kSideBySide) {
    std::vector<std::future<kvtest::ProcessRun>> running;
    for (size_t i = first; i < std::min(cases.size(), first + kSideBySide); ++i) {
      const std::string arguments = "--batch --prefs " + folder / "prefs " + folder / (cases[i].name + ".bx3");
      running.push_back(
          std::async(std::launch::async, [arguments] { return RunBx3(arguments, false, 60 * kvtest::kSlowdown); }));
    }
    for (auto& run : running) results.push_back(run.get());
  }
  for (size_t i = 0; i < cases.size(); ++i) {
    const SceneCase& c = cases[i];
    const kvtest::ProcessRun& run = results[i];
    EXPECT_EQ(run.exitCode, c.words.empty() ? 0 : 2) << c.name << ": " << run.output.substr(0, 400);
    if (c.words.empty()) continue;
    EXPECT_NE(run.output.find(c.name + ".bx3: "), std::string::npos) << c.name << ": " << run.output.substr(0, 400);
    for (const std::string& word : c.words) {
      EXPECT_NE(run.output.find(word), std::string::npos)
          << c.name << ": wanted \"" << word << "\" in " << run.output.substr(0, 400);
    }
  }
}

// A take hierarchy thousands of levels deep is listed, saved and freed without running out of stack.
TEST(HostileFilesTest, DeepTakeHierarchiesAreWalkedWithoutRecursion) {
  kvtest::TempFolder folder;
  std::ofstream(folder / "chain.bx3") << TakeChain(20000);
  const kvtest::ProcessRun run = RunBx3("--batch --prefs " + folder / "prefs " + folder / "chain.bx3" +
                                            " --command 1029486 --wait --save " + folder / "saved.bx3",
                                        false, 120 * kvtest::kSlowdown);
  EXPECT_EQ(run.exitCode, 0) << run.output.substr(0, 400);
  EXPECT_GT(std::filesystem::file_size(folder / "saved.bx3"), 20000u * 10);
}

TEST(HostileFilesTest, ScenePathsThatAreNoFilesAreRefused) {
  kvtest::TempFolder folder;
  ::mkfifo((folder / "pipe.bx3").c_str(), 0644);
  std::filesystem::create_directory(folder / "folder.bx3");
  std::filesystem::create_symlink("loop.bx3", folder / "loop.bx3");
  const std::pair<std::string, std::string> cases[] = {
      {"pipe.bx3", "not a regular file"},
      {"folder.bx3", "not a regular file"},
      {"missing.bx3", "no such file"},
      {"loop.bx3", "cannot open"},
  };
  for (const auto& [name, words] : cases) {
    const kvtest::ProcessRun run = RunBx3("--batch --prefs " + folder / "prefs " + folder / name, false, 30);
    EXPECT_EQ(run.exitCode, 2) << name << ": " << run.output;
    EXPECT_NE(run.output.find(words), std::string::npos) << name << ": " << run.output;
  }
}

TEST(HostileFilesTest, BadPreferencesFallBackToDefaults) {
  kvtest::TempFolder folder;
  std::filesystem::create_directory(folder / "prefs");
  std::ofstream(folder / "scene.bx3") << Objects("");
  const std::string deep = R"({"plugins": )" + Repeat(R"({"id": 1, "values": {"1": {"container": )", 100000);
  const std::pair<std::string, std::string> cases[] = {
      {deep, "nested deeper than"},
      {R"({"plugins": )" + Repeat(R"({"values": {"1": {"container": )", 40) + "{}" + Repeat("}}}}", 40) + "}",
       "containers nested deeper than 32 levels"},
      {R"({"plugins": {"id": 1, "values": {"7": {"int": 18446744073709551615}}}})", "/plugins/values/7/int"},
      {R"({"textureSearchPaths": [{"enabled": true}]})", "/textureSearchPaths/0: needs a path"},
      {"{} {}", "more data after the end"},
  };
  for (const auto& [text, words] : cases) {
    std::ofstream(folder / "prefs/prefs.json", std::ios::binary) << text;
    const kvtest::ProcessRun run = RunBx3("--batch --prefs " + folder / "prefs " + folder / "scene.bx3", false, 60);
    EXPECT_EQ(run.exitCode, 0) << words << ": " << run.output;
    EXPECT_NE(run.output.find("using defaults"), std::string::npos) << words << ": " << run.output;
    EXPECT_NE(run.output.find(words), std::string::npos) << words << ": " << run.output.substr(0, 400);
  }
}

TEST(HostileFilesTest, SavesThatCannotFinishLeaveTheSceneAndNoTemporaryFile) {
  kvtest::TempFolder folder;
  const std::string scene = folder / "scene.bx3";
  // Large enough to pass a small file-size limit.
  std::ofstream(scene) << Null("\"name\": \"" + std::string(200000, 'n') + "\"");
  // A save beyond the file-size limit is an error with a message, not a signal.
  const kvtest::ProcessRun limited = RunBx3(
      "--batch --prefs " + folder / "prefs " + scene + " --save " + folder / "copy.bx3", false, 60, "ulimit -f 64;");
  EXPECT_EQ(limited.exitCode, 1) << limited.output;
  EXPECT_NE(limited.output.find("File too large"), std::string::npos) << limited.output;

  // Partial files of killed saves are removed by the next save of the same scene; others stay.
  for (const char* name : {"scene.bx3.partial-a1b2c3", "scene.bx3.partial-zzzzzz", "other.bx3.partial-a1b2c3",
                           "scene.bx3.partial-toolong", "scene.bx3.keep"}) {
    std::ofstream(folder / std::string(name)) << "partial";
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    std::filesystem::last_write_time(folder / std::string(name), old);
  }
  ASSERT_EQ(RunBx3("--batch --prefs " + folder / "prefs " + scene + " --save").exitCode, 0);
  EXPECT_GT(std::filesystem::file_size(scene), 200000u);
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) left.push_back(entry.path().filename());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"other.bx3.partial-a1b2c3", "scene.bx3", "scene.bx3.keep",
                                            "scene.bx3.partial-toolong"}));
}

TEST(HostileFilesTest, SavingThroughALinkWritesItsTargetAndKeepsTheLink) {
  kvtest::TempFolder folder;
  std::filesystem::create_directory(folder / "real");
  // Written on one line: a save writes it again indented, so the target shows whether it was saved.
  std::ofstream(folder / "real/scene.bx3") << Objects(R"({"id": 1, "type": "object.null"})");
  std::filesystem::create_symlink("real/scene.bx3", folder / "link.bx3");
  const kvtest::ProcessRun run = RunBx3("--batch --prefs " + folder / "prefs " + folder / "link.bx3" + " --save");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.bx3"));
  EXPECT_NE(kvtest::ReadBytes(folder / "real/scene.bx3").find("\n  \"objects\""), std::string::npos);
  size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder / "real")) ++entries;
  EXPECT_EQ(entries, 1u);  // no temporary left beside the target
}

TEST(HostileFilesTest, ManySearchFoldersStayLinear) {
  kvtest::TempFolder folder;
  kvtest::WriteBytes(folder / "last/found.png", "x");
  std::string paths;
  for (int i = 0; i < 100000; ++i) paths += R"({"path": ")" + folder / ("none" + std::to_string(i)) + R"("}, )";
  kvtest::WriteBytes(folder / "prefs/prefs.json",
                     R"({"textureSearchPaths": [)" + paths + R"({"path": ")" + folder / "last" + R"("}]})");
  std::ofstream(folder / "scene.bx3") << kHead + R"("materials": [{"id": 1, "type": "shader.bitmap", "params": {
      "1000": {"file": "gone/found.png"}}}, {"id": 2, "type": "shader.bitmap", "params": {
      "1000": {"file": "gone/missing.png"}}}]})";
  const kvtest::ProcessRun run =
      RunBx3("--batch --prefs " + folder / "prefs " + folder / "scene.bx3" + " --command 1029486 --wait --report json",
             true, 60 * kvtest::kSlowdown);
  ASSERT_EQ(run.exitCode, 0) << run.output.substr(0, 400);
  // found.png is found by name in the last folder; missing.png nowhere.
  EXPECT_NE(run.output.find("Listed: 2 (2) - Missing: 1"), std::string::npos) << run.output.substr(0, 400);
}

}  // namespace
