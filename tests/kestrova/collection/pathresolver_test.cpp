#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "collection/kvpathresolver.h"

using namespace kv;

namespace {

// Paths and entries that stay in place, and a resolver that counts its calls per entry.
struct Paths {
  std::vector<bx3::Filename> paths;
  std::vector<KvPathCacheEntry> entries;
  std::vector<std::atomic<int>> calls;

  explicit Paths(size_t count) : entries(count), calls(count) {
    for (size_t i = 0; i < count; ++i) paths.emplace_back("tex/file_" + std::to_string(i) + ".png");
  }
  KvPathResolver::ResolveFunction Function() {
    return [this](const bx3::Filename& path, KvPathCacheEntry& entry, bool isBitmapShader) {
      calls[size_t(&entry - entries.data())].fetch_add(1);
      entry.resolvedPath = path;
      entry.resolveResult = isBitmapShader ? 2 : 1;
    };
  }
};

TEST(PathResolverTest, EveryPathIsResolvedOnceWithOrWithoutHelpers) {
  struct Case {
    size_t paths, capacity, helpers;
  };
  for (const Case& c : {Case{0, 0, 0}, Case{5, 5, 0}, Case{500, 500, 1}, Case{2000, 2000, 3}, Case{50, 10, 1}}) {
    Paths paths(c.paths);
    KvPathResolver resolver;
    resolver.Start(c.capacity, c.helpers, paths.Function());
    EXPECT_TRUE(resolver.IsRunning());
    size_t added = 0;
    for (size_t i = 0; i < c.paths; ++i) {
      const uint32_t item = resolver.Add(&paths.paths[i], &paths.entries[i], i % 2 == 0);
      if (item == KvPathResolver::kNoItem) continue;  // full: the caller resolves it itself
      EXPECT_EQ(item, added);
      ++added;
    }
    EXPECT_EQ(added, std::min(c.paths, c.capacity));
    resolver.Finish();
    EXPECT_FALSE(resolver.IsRunning());
    ASSERT_EQ(resolver.Items().size(), added);
    for (size_t i = 0; i < c.paths; ++i) {
      const int expected = i < added ? 1 : 0;
      EXPECT_EQ(paths.calls[i].load(), expected) << c.paths << " paths, item " << i;
      if (i < added) {
        EXPECT_EQ(paths.entries[i].resolvedPath, paths.paths[i]);
        EXPECT_EQ(paths.entries[i].resolveResult, i % 2 == 0 ? 2 : 1);
        EXPECT_EQ(resolver.Items()[i].entry, &paths.entries[i]);
      }
    }
  }
}

TEST(PathResolverTest, RestartsAndEndsWithoutFinish) {
  Paths paths(300);
  {
    KvPathResolver resolver;
    resolver.Start(300, 2, paths.Function());
    for (size_t i = 0; i < 100; ++i) resolver.Add(&paths.paths[i], &paths.entries[i], false);
    // A second start finishes the first run.
    resolver.Start(300, 2, paths.Function());
    for (size_t i = 100; i < 300; ++i) resolver.Add(&paths.paths[i], &paths.entries[i], false);
    EXPECT_EQ(resolver.Items().size(), 300u);  // room for the whole run
  }  // destroyed while running: it finishes instead of leaving helpers waiting
  for (size_t i = 0; i < 300; ++i) EXPECT_EQ(paths.calls[i].load(), 1) << i;
  // Not started: nothing is taken.
  KvPathResolver idle;
  EXPECT_EQ(idle.Add(&paths.paths[0], &paths.entries[0], false), KvPathResolver::kNoItem);
}

}  // namespace
