#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "brantic/folderlisting.h"
#include "brantic/pathpattern.h"
#include "support/temp_folder.h"

using brantic::PathPattern;

namespace {

TEST(PathPatternTest, TokensWriteAndMatchTheirItems) {
  struct Case {
    const char* path;
    int64_t item;
    const char* written;  // the item's path; null: the path has no token
  };
  const Case cases[] = {
      {"tex/full.####.png", 1, "tex/full.0001.png"},
      {"tex/full.####.png", 999, "tex/full.0999.png"},
      {"tex/full.####.png", 1000, "tex/full.1000.png"},
      {"tex/full.####.png", 9999, "tex/full.9999.png"},
      {"tex/full.####.png", 10000, "tex/full.10000.png"},  // more digits than the padding
      {"tex/full.####.png", -5, "tex/full.-0005.png"},
      {"f#.exr", 7, "f7.exr"},
      {"f#.exr", 12, "f12.exr"},
      {"f.%d.exr", 12, "f.12.exr"},
      {"f.%04d.exr", 12, "f.0012.exr"},
      {"f.%010d.exr", 12, "f.0000000012.exr"},
      {"f.$F.exr", 12, "f.12.exr"},
      {"f.$F4.exr", 12, "f.0012.exr"},
      {"f.$F4_x.exr", 12, nullptr},  // "$F4_x" is a variable's name
      {"$FOO/f.exr", 1, nullptr},    // a variable, not a frame
      {"f.%5.exr", 1, nullptr},
      {"f.%019d.exr", 1, nullptr},  // wider than a frame number can be written
      {"f.###################.exr", 1, nullptr},
      {"wood.<UDIM>.png", 1001, "wood.1001.png"},
      {"wood.<udim>.png", 1012, "wood.1012.png"},  // token names ignore case
      {"wood.<UVTILE>.png", 1001, "wood.u1_v1.png"},
      {"wood.<UVTILE>.png", 1012, "wood.u2_v2.png"},
      {"wood.<UVTILE>.png", 1010, "wood.u10_v1.png"},
      {"C:\\maps\\wood.<UDIM>.tif", 1002, "C:\\maps\\wood.1002.tif"},
      {"shot_####/frame.png", 1, nullptr},  // tokens in folder names stay literal
      {"tex/wood.png", 1, nullptr},
  };
  for (const Case& c : cases) {
    const auto pattern = PathPattern::Find(c.path);
    ASSERT_EQ(pattern.has_value(), c.written != nullptr) << c.path;
    if (!pattern) continue;
    EXPECT_EQ(pattern->PathOf(c.item), c.written) << c.path;
    // The written file name matches back to its item.
    const std::string written = c.written;
    const std::string fileName = written.substr(written.find_last_of("/\\") + 1);
    EXPECT_EQ(pattern->Match(fileName), c.item) << c.path << " on " << fileName;
  }
}

TEST(PathPatternTest, OnlyFilesWrittenAsTheTokenWritesAreMembers) {
  struct Case {
    const char *path, *fileName;
    std::optional<int64_t> item;
  };
  const Case cases[] = {
      {"full.####.png", "full.0007.png", 7},
      {"full.####.png", "full.007.png", std::nullopt},    // too short
      {"full.####.png", "full.00007.png", std::nullopt},  // zeros beyond the padding
      {"full.####.png", "full.12345.png", 12345},
      {"full.####.png", "full.0007.jpg", std::nullopt},
      {"full.####.png", "full..png", std::nullopt},
      {"full.####.png", "full.00a7.png", std::nullopt},
      {"f.%d.exr", "f.0.exr", 0},
      {"f.%d.exr", "f.07.exr", std::nullopt},
      {"wood.<UDIM>.png", "wood.1000.png", std::nullopt},
      {"wood.<UDIM>.png", "wood.10011.png", std::nullopt},
      {"wood.<UVTILE>.png", "wood.u0_v1.png", std::nullopt},  // tiles count from 1
      {"wood.<UVTILE>.png", "wood.u11_v1.png", std::nullopt},
      {"wood.<UVTILE>.png", "wood.u01_v1.png", std::nullopt},
      {"wood.<UVTILE>.png", "wood.u1_v3.png", 1021},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PathPattern::Find(c.path)->Match(c.fileName), c.item) << c.path << " on " << c.fileName;
  }
  EXPECT_EQ(PathPattern::Find("tex/wood.<UDIM>.png")->GetKind(), PathPattern::Kind::Tiles);
  EXPECT_EQ(PathPattern::Find("tex/full.####.png")->Folder(), "tex/");
  // A file chosen for a set takes the set's token in place of its item.
  const auto carried = [](const char* pattern, const char* chosen) {
    return PathPattern::Find(pattern)->CarryInto(chosen).value_or("(none)");
  };
  EXPECT_EQ(carried("tex/wood.<UDIM>.png", "/lib/oak.1002.jpg"), "/lib/oak.<UDIM>.jpg");
  EXPECT_EQ(carried("tex/wood.<UDIM>.png", "/lib/oak.12.jpg"), "(none)");
  EXPECT_EQ(carried("tex/wood.<UVTILE>.png", "/lib/oak.u2_v3.jpg"), "/lib/oak.<UVTILE>.jpg");
  EXPECT_EQ(carried("f.%04d.exr", "/r/v2/shot.0017.exr"), "/r/v2/shot.%04d.exr");
  EXPECT_EQ(carried("f.####.exr", "/r/v2/shot.exr"), "(none)");  // no digits in the file name
  EXPECT_EQ(brantic::UdimOfTile(9, 0), 1010);
  EXPECT_EQ(brantic::UdimOfTile(10, 0), std::nullopt);
  EXPECT_EQ(brantic::FormatItemRuns({19, 7, 8, 9, 12, 7}), "7-9, 12, 19");
  EXPECT_EQ(brantic::FormatItemRuns({}), "");
}

TEST(FolderListingsTest, EachFolderIsReadOnceWhoeverAsks) {
  kvtest::TempFolder folder;
  std::filesystem::create_directories(folder / "sub");
  for (const char* name : {"b.png", "a.png", "w.1001.png", "w.1011.png", "w.1002.png", "w.0999.png", "w.1001.jpg"}) {
    std::ofstream(folder / name) << "x";
  }
  brantic::FolderListings listings;
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i) threads.emplace_back([&] { EXPECT_TRUE(listings.Contains(folder.Path(), "a.png")); });
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(listings.List(folder.Path())->size(), 7u);  // folders left out
  EXPECT_EQ(listings.Members(folder.Path(), *PathPattern::Find("w.<UDIM>.png")),
            (std::vector<int64_t>{1001, 1002, 1011}));
  EXPECT_EQ(listings.Members(folder.Path(), *PathPattern::Find("w.####.png")),
            (std::vector<int64_t>{999, 1001, 1002, 1011}));
  EXPECT_TRUE(listings.Contains(folder.Path() + "/", "b.png"));
  EXPECT_EQ(listings.FoldersRead(), 1u);
  EXPECT_EQ(listings.List(folder / "none"), nullptr);
  EXPECT_EQ(listings.List(folder / "a.png"), nullptr);  // a file is no folder
  EXPECT_FALSE(listings.Contains(folder / "none", "a.png"));
}

}  // namespace
