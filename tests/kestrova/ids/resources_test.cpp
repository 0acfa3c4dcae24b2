#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>

#include "bx3/resources.h"
#include "commands/kvcommands.h"
#include "ids/kvresources.h"
#include "support/temp_folder.h"

namespace {

const char* const kModuleFolder = KV_MODULE_SOURCE_DIR;

TEST(ResourcesTest, EveryResourceTheModuleUsesExists) {
  auto table = bx3::StringTable::Load(kModuleFolder);
  ASSERT_TRUE(table.HasValue()) << table.GetError().Message();
  std::set<int32_t> used{kv::res::kTitle};
  size_t count = 0;
  const kv::SubCommandEntry* entries = kv::SubCommandTable(count);
  for (size_t i = 0; i < count; ++i) {
    used.insert(entries[i].nameResource);
    if (entries[i].helpResource) used.insert(entries[i].helpResource);
  }
  // Resource ids written in the sources: GetResourceString(10xxx) and kRes... constants.
  const std::regex call(R"((?:GetResourceString\(|kRes\w+ = )(1\d{4}))");
  for (const auto& file : std::filesystem::directory_iterator(std::string(kModuleFolder) + "/source")) {
    const std::string source = kvtest::ReadBytes(file.path());
    for (std::sregex_iterator it(source.begin(), source.end(), call), end; it != end; ++it) {
      used.insert(std::stoi((*it)[1].str()));
    }
  }
  for (int32_t id : used) {
    EXPECT_TRUE(table->Has(id)) << "missing string resource " << id;
    EXPECT_FALSE(table->Get(id).IsEmpty()) << id;
  }
  // The module owns the whole range 10000-10241.
  for (int32_t id = 10000; id <= 10241; ++id) EXPECT_TRUE(table->Has(id)) << id;
  EXPECT_EQ(table->Get(10000), "Asset Inspector");
}

TEST(ResourcesTest, ParametersAndBadFiles) {
  auto table = bx3::StringTable::Parse(R"({"1": "Copy @ files?", "2": "plain"})", "t.json");
  ASSERT_TRUE(table.HasValue());
  EXPECT_EQ(table->Get(1, "3"), "Copy 3 files?");
  EXPECT_EQ(table->Get(2, "x"), "plain");
  EXPECT_TRUE(table->Get(99).IsEmpty());
  EXPECT_FALSE(bx3::StringTable::Parse("[]", "t.json").HasValue());
  EXPECT_FALSE(bx3::StringTable::Parse(R"({"x": "a"})", "t.json").HasValue());
  EXPECT_FALSE(bx3::StringTable::Parse(R"({"1": 5})", "t.json").HasValue());
  EXPECT_FALSE(bx3::StringTable::Load("/nonexistent").HasValue());
}

}  // namespace
