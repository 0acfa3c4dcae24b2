#include <gtest/gtest.h>

#include <cstdlib>

#include "brantic/pathexpand.h"

using brantic::PathExpander;
using brantic::PathMapping;

namespace {

TEST(PathExpandTest, VariablesMappingsAndWindowsRelativePaths) {
  ::setenv("KV_TEST_ROOT", "/env/root", 1);
  ::setenv("KV_TEST_SHADOWED", "/env/shadowed", 1);
  ::unsetenv("KV_TEST_UNSET");
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  const PathExpander expander({{"KV_TEST_SHADOWED", "/prefs/wins"}, {"PROJECT", "/mnt/proj"}},
                              {{"P:\\proj", "/mnt/proj"},
                               {"\\\\server\\share", "/mnt/share"},
                               {"/mnt/projects", "/data/projects"},
                               {"/mnt/projects/old", "/never"}},  // an earlier rule wins
                              true);
  struct Case {
    std::string written, path;
    std::string variable;  // the first one used
    std::string unset;
    bool mapped = false;
  };
  const Case cases[] = {
      {"$KV_TEST_ROOT/tex/a.png", "/env/root/tex/a.png", "KV_TEST_ROOT", "", false},
      {"${KV_TEST_ROOT}/tex/a.png", "/env/root/tex/a.png", "KV_TEST_ROOT", "", false},
      {"$KV_TEST_SHADOWED/a.png", "/prefs/wins/a.png", "KV_TEST_SHADOWED", "", false},  // the preferences first
      {"$PROJECT/tex/$KV_TEST_ROOT.png", "/mnt/proj/tex//env/root.png", "PROJECT", "", false},
      {"~/tex/a.png", home + "/tex/a.png", "~", "", false},
      {"~other/a.png", "~other/a.png", "", "", false},  // only the user's own home
      {"$KV_TEST_UNSET/a.png", "$KV_TEST_UNSET/a.png", "", "KV_TEST_UNSET", false},
      {"tex/full.$F4.png", "tex/full.$F4.png", "", "", false},  // a frame token, not a variable
      {"tex/$.png", "tex/$.png", "", "", false},
      {"${}/a.png", "${}/a.png", "", "", false},
      {"P:\\proj\\tex\\wood.png", "/mnt/proj/tex/wood.png", "", "", true},
      {"p:/PROJ/tex/wood.png", "/mnt/proj/tex/wood.png", "", "", true},   // either slash, any case
      {"P:\\project\\wood.png", "P:\\project\\wood.png", "", "", false},  // a prefix ends at a separator
      {"\\\\server\\share\\a.png", "/mnt/share/a.png", "", "", true},
      {"/mnt/projects/old/a.png", "/data/projects/old/a.png", "", "", true},
      {"/MNT/projects/a.png", "/MNT/projects/a.png", "", "", false},  // Unix prefixes keep their case
      {".\\wood.jpg", "./wood.jpg", "", "", false},
      {"..\\tex\\a.png", "../tex/a.png", "", "", false},
      {"tex/a.png", "tex/a.png", "", "", false},
  };
  for (const Case& c : cases) {
    const brantic::ExpandedPath expanded = expander.Expand(c.written);
    EXPECT_EQ(expanded.path, c.path) << c.written;
    EXPECT_EQ(expanded.variable, c.variable) << c.written;
    EXPECT_EQ(expanded.unsetVariable, c.unset) << c.written;
    EXPECT_EQ(expanded.mapping.has_value(), c.mapped) << c.written;
  }
  // Without the environment only the table counts.
  EXPECT_EQ(PathExpander({}, {}, false).Expand("$KV_TEST_ROOT/a.png").unsetVariable, "KV_TEST_ROOT");
}

TEST(PathExpandTest, WritesKeepTheVariableOrMappingThePathWasWrittenWith) {
  const PathExpander expander({{"TEX", "/mnt/tex"}}, {{"P:\\proj", "/mnt/proj"}}, false);
  struct Case {
    const char *oldPath, *newPath, *written;
  };
  const Case cases[] = {
      {"$TEX/old/rust.png", "/mnt/tex/new/rust.png", "$TEX/new/rust.png"},
      {"${TEX}/old/rust.png", "/mnt/tex/new/rust.png", "${TEX}/new/rust.png"},
      {"$TEX/old/rust.png", "/elsewhere/rust.png", "/elsewhere/rust.png"},  // not under its value
      {"$TEX/old/rust.png", "/mnt/texture/rust.png", "/mnt/texture/rust.png"},
      {"P:\\proj\\old\\a.png", "/mnt/proj/new/a.png", "P:\\proj\\new\\a.png"},
      {"/plain/a.png", "/mnt/proj/new/a.png", "/mnt/proj/new/a.png"},  // never read through the mapping
      {"tex/a.png", "/mnt/tex/a.png", "/mnt/tex/a.png"},
  };
  for (const Case& c : cases) EXPECT_EQ(expander.KeepForm(c.oldPath, c.newPath), c.written) << c.oldPath;
  EXPECT_EQ(expander.Map("P:/proj/a.png"), "/mnt/proj/a.png");

  // The search-paths window edits mappings as lines of text.
  const std::vector<PathMapping> mappings = {{"P:\\proj", "/mnt/proj"}, {"/Volumes/a b", "/mnt/a b"}};
  EXPECT_EQ(brantic::MappingsFromText(brantic::MappingsToText(mappings)).Value(), mappings);
  EXPECT_EQ(brantic::MappingsFromText("  x=>y \n\n").Value(), (std::vector<PathMapping>{{"x", "y"}}));
  for (const char* bad : {"only a root", "=> /to", "P: =>  "}) {
    const auto refused = brantic::MappingsFromText(std::string("a => b\n") + bad);
    ASSERT_FALSE(refused) << bad;
    EXPECT_NE(refused.GetError().Message().find("line 2"), std::string::npos) << bad;
  }
  EXPECT_EQ(expander.Map("/other/a.png"), std::nullopt);
}

}  // namespace
