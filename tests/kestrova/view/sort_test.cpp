#include <algorithm>
#include <numeric>
#include <optional>

#include "brantic/regex.h"
#include "brantic/wildcard.h"
#include "kestrova/module_fixture.h"
#include "view/kvfilter.h"
#include "view/kvgroup.h"
#include "view/kvsort.h"
#include "view/kvviewsettings.h"
#include "view/kvviewstate.h"

using namespace kv;
using bx3::Filename;

namespace {

// Rows and the lists the view reads them through.
struct KvRowsAndLists {
  std::vector<KvAssetEntry> rows;
  KvViewLists lists;
};

class SortTest : public kvtest::ModuleFixture {
 protected:
  static KvAssetEntry Row(const std::string& path) { return ModuleFixture::Row(path, ASSETTYPE_IMAGE); }
  static std::vector<std::string> Paths(const std::vector<KvAssetEntry>& rows) {
    std::vector<std::string> paths;
    for (const KvAssetEntry& row : rows) paths.push_back(row.assetPath.GetString().Std());
    return paths;
  }
};

// Three rows that grow on every column at once, listed out of order: each column sorts
// them up one way and down the other. (What a planted fault showed: the file size column
// ignored the descending order, and no test sorted it downwards.)
TEST_F(SortTest, EveryColumnSortsBothWays) {
  bx3::Document document;
  std::vector<KvAssetEntry> rows;
  const char* const names[] = {"a", "b", "c"};
  const uint32_t types[] = {ASSETTYPE_REFERENCED3D, ASSETTYPE_IMAGE, ASSETTYPE_AUDIO};  // by name
  const int32_t results[] = {kResolveMissing, kResolveFoundByName, kResolveFound};
  const char* const spaces[] = {"", bx3::kNodeSpaceLumen, bx3::kNodeSpaceStandard};  // "", Lumen, Standard
  for (int i = 0; i < 3; ++i) {
    const std::string name = names[i];
    KvAssetEntry row = Row((name + "/" + name + ".png").c_str());
    bx3::Element* owner =
        document.InsertElement(bx3::Branch::Materials, bx3::CreateElement(bx3::type::kStandardMaterial, names[i]));
    row.ownerLink.Set(owner);
    row.ownerMainLink.Set(owner);
    row.layerLink.Set(document.InsertElement(bx3::Branch::Layers, bx3::CreateElement(bx3::type::kLayer, names[i])));
    row.resolvedPath = brantic::String("/" + name);
    row.newPath = brantic::String(name);
    row.via = brantic::String(name);
    row.elementName = brantic::String(name);
    row.takeName = brantic::String(name);
    row.formatText = brantic::String(name);
    row.nodeSpace = brantic::Id(spaces[i]);
    row.assetType = types[i];
    row.resolveResult = results[i];
    row.fileSize = i + 1;
    row.resolutionX = row.resolutionY = i + 1;
    rows.push_back(row);
  }
  std::swap(rows[0], rows[2]);  // c, b, a
  for (const int32_t column : DefaultColumnOrder()) {
    EXPECT_EQ(SortedRowOrder(rows, column, &document), (std::vector<uint32_t>{2, 1, 0})) << column;
    EXPECT_EQ(SortedRowOrder(rows, -column, &document), (std::vector<uint32_t>{0, 1, 2})) << column;
  }
  // Resolutions compare by width, then height.
  rows[0].resolutionX = rows[1].resolutionX = 100;
  rows[0].resolutionY = 50;
  rows[1].resolutionY = 20;
  EXPECT_EQ(SortedRowOrder(rows, column::kResolution, &document), (std::vector<uint32_t>{2, 1, 0}));
}

TEST_F(SortTest, OverriddenTakesComeLastAscendingAndFirstDescending) {
  std::vector<KvAssetEntry> rows;
  for (const auto& [path, take, override] : std::vector<std::tuple<const char*, const char*, bool>>{
           {"1", "Beta", true}, {"2", "Main", false}, {"3", "Alpha", true}, {"4", "", false}}) {
    KvAssetEntry row = Row(path);
    row.takeName = brantic::String(take);
    row.takeOverride = override;
    rows.push_back(row);
  }
  SortAssetRows(rows, column::kTake, nullptr);
  // "(none)" stands for the empty name and sorts by that text.
  const bool noneBeforeMain = GetResourceString(res::kNone).Compare(brantic::String("Main")) < 0;
  const std::vector<std::string> expected =
      noneBeforeMain ? std::vector<std::string>{"4", "2", "3", "1"} : std::vector<std::string>{"2", "4", "3", "1"};
  EXPECT_EQ(Paths(rows), expected);
  SortAssetRows(rows, -column::kTake, nullptr);
  EXPECT_EQ(Paths(rows)[0], "1");
  EXPECT_EQ(Paths(rows)[1], "3");
}

TEST_F(SortTest, LayersWithTheSameNameSortAndGroupApart) {
  bx3::Document document;
  bx3::Element* first = document.InsertElement(bx3::Branch::Layers, bx3::CreateElement(bx3::type::kLayer, "Props"));
  bx3::Element* second = document.InsertElement(bx3::Branch::Layers, bx3::CreateElement(bx3::type::kLayer, "Props"));
  bx3::Element* other = document.InsertElement(bx3::Branch::Layers, bx3::CreateElement(bx3::type::kLayer, "Alpha"));
  KvRowsAndLists table;
  for (const auto& [path, layer] : std::vector<std::pair<const char*, bx3::Element*>>{
           {"a", second}, {"b", first}, {"c", nullptr}, {"d", other}, {"e", second}}) {
    KvAssetEntry row = Row(path);
    if (layer) row.layerLink.Set(layer);
    table.rows.push_back(row);
  }
  SortAssetRows(table.rows, column::kLayer, &document);
  // By name, equal names by layer; the row without a layer last.
  EXPECT_EQ(Paths(table.rows)[0], "d");
  EXPECT_EQ(Paths(table.rows)[4], "c");
  EXPECT_NE(table.rows[1].layerLink.GetUid(), table.rows[2].layerLink.GetUid());
  EXPECT_EQ(table.rows[2].layerLink.GetUid(), table.rows[3].layerLink.GetUid());

  ASSERT_TRUE(BuildRowIndexList(table.rows, table.lists, KvViewSettings::Defaults(), nullptr));
  ASSERT_TRUE(GroupRows(table.rows, table.lists, kGroupByLayer, &document));
  // Alpha, Props, the other Props, no layer.
  EXPECT_EQ(table.lists.viewGroups, (std::vector<std::vector<int64_t>>{{0}, {1}, {2, 3}, {4}}));
}

TEST_F(SortTest, TextsThatShareLongPrefixesOrEndEarly) {
  // Texts equal up to 16 bytes and beyond, prefixes of one another, a zero byte, empty names,
  // and names that all share a prefix, one of them being just that prefix.
  const std::vector<std::vector<std::string>> nameSets = {
      {"abcdefghijklmnopq", "abcdefghijklmnop", "abcdefghijklmnopa", "ab", "abc", std::string("ab\0", 3), "",
       "abcdefghijklmnop", "b", "abcdefghijklmnopqrstuvwxyz0", "abcdefghijklmnopqrstuvwxyz", "abcdefghzz",
       "abcdefghaa"},
      {"shot_010_v2.exr", "", "shot_", "shot_010_v10.exr", "shot_", "shot_009.exr", ""}};
  for (const std::vector<std::string>& names : nameSets) {
    for (const std::string& folder : {std::string("x/"), std::string("/a/long/folder/that/every/path/shares/")}) {
      std::vector<KvAssetEntry> rows;
      for (const std::string& name : names) {
        rows.push_back(Row(""));
        rows.back().assetPath = Filename(folder + name);
      }
      for (const int32_t column : {column::kPath, -column::kPath, column::kAsset, -column::kAsset}) {
        const auto text = [column](const KvAssetEntry& row) {
          return std::string(std::abs(column) == column::kPath ? row.assetPath.View() : row.assetPath.GetFileView());
        };
        std::vector<std::string> expected;
        for (const KvAssetEntry& row : rows) expected.push_back(text(row));
        std::sort(expected.begin(), expected.end());
        if (column < 0) std::reverse(expected.begin(), expected.end());
        std::vector<std::string> sorted;
        for (const uint32_t index : SortedRowOrder(rows, column, nullptr)) sorted.push_back(text(rows[index]));
        EXPECT_EQ(sorted, expected) << folder << " column " << column;
      }
    }
  }
}

// What used to go wrong: rows that sort alike came out in an order that depended on how
// many parts (cores) the list was sorted in.
TEST_F(SortTest, RowsThatSortAlikeKeepTheirCollectionOrder) {
  bx3::Document document;
  bx3::Element* layer = document.InsertElement(bx3::Branch::Layers, bx3::CreateElement(bx3::type::kLayer, "L"));
  std::vector<KvAssetEntry> rows;
  for (int i = 0; i < 30000; ++i) {
    KvAssetEntry row = Row(("f/" + std::to_string(i % 50) + ".png").c_str());
    row.resolveResult = i % 3 == 0 ? 0 : 4;
    if (i % 7 != 0) row.layerLink.Set(layer);  // the others sort last, among themselves too
    rows.push_back(row);
  }
  for (const int32_t column : {column::kAsset, -column::kAsset, column::kStatus, -column::kStatus, column::kLayer,
                               -column::kLayer, column::kSize, column::kNewPath}) {
    const std::vector<uint32_t> whole = SortedRowOrder(rows, column, &document, 1);
    EXPECT_EQ(SortedRowOrder(rows, column, &document, 4), whole) << "column " << column;
    EXPECT_EQ(SortedRowOrder(rows, column, &document, 3), whole) << "column " << column;
    // Within a run of rows that sort alike, the collection order.
    const auto key = [&](uint32_t i) {
      switch (std::abs(column)) {
        case column::kAsset: return std::string(rows[i].assetPath.GetFileView());
        case column::kStatus: return std::to_string(rows[i].resolveResult);
        case column::kLayer: return std::string(rows[i].layerLink.Resolve(&document) ? "L" : "");
        default: return std::string();
      }
    };
    for (size_t i = 1; i < whole.size(); ++i) {
      if (key(whole[i - 1]) == key(whole[i])) {
        ASSERT_LT(whole[i - 1], whole[i]) << "column " << column << " at " << i;
      }
    }
  }
}

TEST_F(SortTest, GroupsFollowTheirFirstMemberAndTheTypeFilter) {
  KvRowsAndLists table;
  for (const char* path : {"a.png", "b.wav", "a.png", "c.mov", "b.wav", "a.png"}) table.rows.push_back(Row(path));
  table.rows[1].assetType = table.rows[4].assetType = ASSETTYPE_AUDIO;
  table.rows[3].assetType = ASSETTYPE_VIDEO;
  KvViewSettings view = KvViewSettings::Defaults();
  ASSERT_TRUE(BuildRowIndexList(table.rows, table.lists, view, nullptr));
  ASSERT_TRUE(GroupRows(table.rows, table.lists, kGroupByAsset, nullptr));
  EXPECT_EQ(table.lists.viewGroups, (std::vector<std::vector<int64_t>>{{0, 2, 5}, {1, 4}, {3}}));
  ASSERT_TRUE(GroupRows(table.rows, table.lists, kGroupByAssetType, nullptr));
  EXPECT_EQ(table.lists.viewGroups.size(), 3u);
  // Neighbours with the same key and the same key again after another.
  KvRowsAndLists neighbours;
  for (const char* path : {"a.png", "a.png", "b.png", "a.png", "b.png", "b.png"}) neighbours.rows.push_back(Row(path));
  ASSERT_TRUE(BuildRowIndexList(neighbours.rows, neighbours.lists, view, nullptr));
  ASSERT_TRUE(GroupRows(neighbours.rows, neighbours.lists, kGroupByAsset, nullptr));
  EXPECT_EQ(neighbours.lists.viewGroups, (std::vector<std::vector<int64_t>>{{0, 1, 3}, {2, 4, 5}}));

  view.flags[kCmdViewTypeAudio] = false;
  ASSERT_TRUE(BuildRowIndexList(table.rows, table.lists, view, nullptr));
  EXPECT_EQ(table.lists.rowIndexList, (std::vector<int64_t>{0, 2, 3, 5}));
  ASSERT_TRUE(GroupRows(table.rows, table.lists, kGroupByAsset, nullptr));
  EXPECT_EQ(table.lists.viewGroups, (std::vector<std::vector<int64_t>>{{0, 1, 3}, {2}}));
}

TEST_F(SortTest, WildcardTranslation) {
  struct Match {
    const char *pattern, *text;
    bool matches;
  };
  const Match matches[] = {
      {"*.png", "wood.png", true},
      {"*.png", "wood.png.bak", false},
      {"wall_?.png", "wall_1.png", true},
      {"wall_?.png", "wall_12.png", false},
      {"f#.exr", "f0012.exr", true},
      {"f#.exr", "f.exr", false},
      // Empty and whole-text matches: "*" may be empty, "?" and "#" take exactly one or more.
      {"wall_?.png", "wall_.png", false},
      {"*.png", ".png", true},
      {"a*b", "ab", true},
      {"#", "1", true},
      {"?", "ab", false},
      {"?", "", false},
      {"*", "", true},
      {"(wood|oak)*", "oak_2.jpg", true},
      {"\\?*", "?x", true},
      {"\\?*", "ax", false},
      {"\\d*", "desk.png", true},
      {"\\d*", "12.png", false},
      {"\\w\\s*", "ws_2.png", true},
      {"\\w\\s*", "a .png", false},
      {"(a)\\1#.tif", "a12.tif", true},
      {"(a)\\1#.tif", "aa12.tif", false},
      {"\\b*", "bark.exr", true},
      {"\\b*", "wall.exr", false},
      {"(x|)#", "12", true},
      {"a|b*", "bark", true},
      {"a\nb", "a\nb", true},
      // Characters the expression engine treats specially stand for themselves.
      {"[*]", "[*]", true},  // a bracketed star is a star
      {"[*]", "[x]", false},
      {"a+b", "a+b", true},
      {"a+b", "aab", false},
      {"end\\", "end\\", true},
      {"a***b", "a_b", true},
      {"a?b", "a\nb", false},  // wildcards do not match line breaks
      // Patterns that made a backtracking matcher try every split of the text.
      {"********************.png", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa.jpg",
       false},
      {"*a*a*a*a*a*a*a*a*a*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},
      {"(#|#)(#|#)(#|#)(#|#)(#|#)(#|#)x", "1234567890123456789012345678901234567890", false},
  };
  constexpr int kBacktrackingCases = 3;  // the last three
  for (const Match& m : matches) {
    KvFilterBarState state;
    state.column = 1;
    state.text = brantic::String(m.pattern);
    auto filter = KvFilterBarFilter::Create(state, nullptr);
    ASSERT_TRUE(filter) << m.pattern;
    // A row without text in the column is never kept by a filter text; the matcher still is asked.
    if (*m.text != 0) {
      EXPECT_EQ(filter->Keeps(Row(m.text)), m.matches) << m.pattern << " on " << m.text;
    }
    EXPECT_EQ(brantic::WildcardPattern::Compile(m.pattern)->MatchesWhole(m.text), m.matches) << m.pattern;
    // Search and replace translates the same pattern to an expression; both must agree
    // (where the backtracking expression engine finishes in reasonable time).
    if (&m >= std::end(matches) - kBacktrackingCases) continue;
    const auto expression = brantic::RegularExpression::Compile(brantic::WildcardToRegex(m.pattern));
    ASSERT_TRUE(expression) << m.pattern;
    EXPECT_EQ(expression->MatchesWhole(m.text), m.matches) << m.pattern << " as expression on " << m.text;
  }
  // Unbalanced groups are refused, not matched.
  for (const char* bad : {"(a*", "a*)", "((*)"}) {
    KvFilterBarState state;
    state.column = 1;
    state.text = brantic::String(bad);
    EXPECT_FALSE(KvFilterBarFilter::Create(state, nullptr)) << bad;
  }
  // Without wildcards the text is searched for; an empty text keeps every row.
  KvFilterBarState contains;
  contains.column = 2;
  contains.text = brantic::String("tex/");
  EXPECT_TRUE(KvFilterBarFilter::Create(contains, nullptr)->Keeps(Row("a/tex/wood.png")));
  EXPECT_FALSE(KvFilterBarFilter::Create(contains, nullptr)->Keeps(Row("a/wood.png")));
  contains.text = brantic::String();
  EXPECT_TRUE(KvFilterBarFilter::Create(contains, nullptr)->Keeps(Row("a/wood.png")));
}

// Sizes compare coarsened to the unit's steps; status and resolution by their options. (The
// status column also answers to its alternate number.)
TEST_F(SortTest, SizeStatusAndResolutionFilters) {
  // A bar on `column` comparing with `option` (only the column's own option counts).
  const auto bar = [](int32_t column, int32_t option, double sizeValue = 0, int32_t sizeUnit = 1, int64_t width = 0,
                      int64_t height = 0) {
    KvFilterBarState state;
    state.column = column;
    state.statusOption = state.sizeOption = state.resolutionOption = option;
    state.sizeValue = sizeValue;
    state.sizeUnit = sizeUnit;
    state.width = width;
    state.height = height;
    return state;
  };
  const auto size = [&bar](double value, int32_t unit, int32_t option) {
    return bar(kFilterSize, option, value, unit);
  };
  const auto resolution = [&bar](int32_t option, int64_t width, int64_t height) {
    return bar(kFilterResolution, option, 0, 1, width, height);
  };
  const KvFilterBarState foundElsewhere = bar(kFilterStatus + kFilterAlternate, 1);
  struct Case {
    KvFilterBarState state;
    int64_t fileSize;
    int32_t resolveResult;
    int64_t width;  // by 50 pixels
    bool kept;
  };
  const Case cases[] = {
      {size(1.0, 0, 1), 1'000'000, 0, 0, true},  // 1 MB equals 1,000,000 bytes
      {size(1.0, 0, 1), 1'009'999, 0, 0, true},  // ... and anything in the same 10,000-byte step
      {size(1.0, 0, 1), 1'010'000, 0, 0, false},
      {size(2.0, 1, 1), 2'005, 0, 0, true},  // KB: 10-byte steps from 1,000 bytes on
      {size(2.0, 1, 1), 2'010, 0, 0, false},
      {size(2.0, 1, 0), 1'999, 0, 0, true},
      {size(500.0, 2, 1), 500, 0, 0, true},  // bytes stay exact
      {size(500.0, 2, 2), 501, 0, 0, true},
      {size(500.0, 2, 0), 500, 0, 0, false},
      {size(-1.0, 1, 0), 1'000'000'000, 0, 0, true},  // a negative limit is no limit
      // Found elsewhere: by name, built by the host, or held open for painting.
      {foundElsewhere, 0, kResolveMissing, 0, false},
      {foundElsewhere, 0, kResolveFoundByName, 0, true},
      {foundElsewhere, 0, kResolveBuiltByHost, 0, true},
      {foundElsewhere, 0, kResolveFound, 0, false},
      {foundElsewhere, 0, kResolvePaintTexture, 0, true},
      {resolution(2, 150, 0), 0, 0, 100, false},  // a height of 0 places no limit
      {resolution(2, 150, 0), 0, 0, 200, true},
      {resolution(1, 0, 50), 0, 0, 100, true},
      {resolution(1, 0, 50), 0, 0, 500, true},
  };
  for (const Case& c : cases) {
    KvAssetEntry row = Row("a.png");
    row.fileSize = c.fileSize;
    row.resolveResult = c.resolveResult;
    row.resolutionX = c.width;
    row.resolutionY = 50;
    EXPECT_EQ(KvFilterBarFilter::Create(c.state, nullptr)->Keeps(row), c.kept)
        << "column " << c.state.column << " size " << c.fileSize << " status " << c.resolveResult << " width "
        << c.width;
  }
}

}  // namespace
