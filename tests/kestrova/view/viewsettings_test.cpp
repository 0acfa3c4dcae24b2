#include <gtest/gtest.h>

#include "ids/kvids.h"
#include "view/kvviewsettings.h"

using namespace kv;

namespace {

std::vector<int32_t> Ids(const std::vector<bx3::TreeColumn>& columns) {
  std::vector<int32_t> ids;
  for (const bx3::TreeColumn& c : columns) ids.push_back(c.id);
  return ids;
}

TEST(ViewSettingsTest, DefaultsStoredValuesAndMissingKeys) {
  const KvViewSettings fresh = KvViewSettings::Defaults();
  EXPECT_EQ(fresh.groupMode, kGroupByAsset);
  EXPECT_TRUE(fresh.Flag(kCmdViewAssetType));
  EXPECT_FALSE(fresh.Flag(kCmdViewGlobalPath));
  EXPECT_EQ(Ids(BuildColumnLayout(fresh)),
            (std::vector<int32_t>{column::kStatus, column::kAssetType, column::kAsset, column::kPath, column::kElement,
                                  column::kBreadcrumb, column::kLayer, column::kTake, column::kNodeSpace}));

  // Stored settings without some keys: those take their second defaults.
  bx3::Container stored(kMainCommandId);
  stored.SetBool(kCmdViewFormat, true);
  stored.SetInt32(kPrefsGroupMode, kGroupNone);
  KvViewSettings loaded = KvViewSettings::Defaults();
  loaded.Load(&stored);
  EXPECT_TRUE(loaded.Flag(kCmdViewFormat));
  EXPECT_FALSE(loaded.Flag(kCmdViewAssetType));  // missing: off
  EXPECT_TRUE(loaded.Flag(kCmdViewGlobalPath));  // missing: on
  EXPECT_EQ(loaded.groupMode, kGroupNone);

  const bx3::Container saved = loaded.Save();
  KvViewSettings again = KvViewSettings::Defaults();
  again.Load(&saved);
  EXPECT_EQ(again.flags, loaded.flags);
  EXPECT_EQ(again.groupMode, loaded.groupMode);

  KvViewSettings firstRun = KvViewSettings::Defaults();
  firstRun.Load(nullptr);
  EXPECT_EQ(firstRun.flags, fresh.flags);
}

TEST(ViewSettingsTest, ColumnLayoutRules) {
  KvViewSettings settings = KvViewSettings::Defaults();
  for (auto& [id, on] : settings.flags) on = false;
  settings.groupMode = kGroupNone;
  EXPECT_EQ(Ids(BuildColumnLayout(settings)), std::vector<int32_t>{column::kStatus});
  settings.groupMode = kGroupByLayer;  // the grouping column shows whatever its flag says
  EXPECT_EQ(Ids(BuildColumnLayout(settings)), (std::vector<int32_t>{column::kStatus, column::kLayer}));
  settings.groupMode = kGroupNone;
  EXPECT_EQ(Ids(BuildColumnLayout(settings)), std::vector<int32_t>{column::kStatus});

  // A column order the user arranged comes first; a column switched on later goes last.
  settings.flags[kCmdViewAsset] = settings.flags[kCmdViewTexturePath] = true;
  settings.columnLayout = bx3::ColumnLayoutToContainer({{column::kPath, bx3::kTreeColumnUser, 150},
                                                        {column::kStatus, bx3::kTreeColumnUser, 30},
                                                        {column::kAsset, bx3::kTreeColumnUser, 90}});
  settings.flags[kCmdViewFormat] = true;
  const auto layout = BuildColumnLayout(settings);
  EXPECT_EQ(Ids(layout), (std::vector<int32_t>{column::kPath, column::kStatus, column::kAsset, column::kFormat}));
  EXPECT_EQ(layout[0].width, 150);
  for (const bx3::TreeColumn& c : layout) EXPECT_EQ(c.type, bx3::kTreeColumnUser);
}

}  // namespace
