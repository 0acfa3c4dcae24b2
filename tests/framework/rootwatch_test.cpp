// Roots that do not answer: asked once, on a thread of their own, never waited on twice.
#include "brantic/rootwatch.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <future>

#include "support/blocking_files.h"

using brantic::RootWatch;
using namespace std::chrono_literals;

TEST(RootWatch, ARootThatDoesNotAnswerIsAskedOnceAndToldWhenItAnswers) {
  auto files = std::make_shared<kvtest::BlockingFiles>("/dead");
  auto watch = std::make_shared<RootWatch>(files);
  std::promise<void> answered;
  {
    RootWatch::Pass pass(watch, 10s, 10ms);
    EXPECT_FALSE(pass.IsReachablePath("/dead/tex/a.png"));
    EXPECT_FALSE(pass.IsReachablePath("/dead/tex/b.png"));
    EXPECT_TRUE(pass.IsReachablePath("/tmp/a.png"));
    EXPECT_EQ(pass.UnreachableRoots(), std::vector<std::string>{"/dead"});
    pass.WhenLateAnswer([&] { answered.set_value(); });
  }
  // A later pass while the first query is still out: no second query, and no wait beyond
  // its patience counted from when the query started.
  {
    RootWatch::Pass pass(watch, 10s, 10ms);
    EXPECT_FALSE(pass.IsReachablePath("/dead/tex/c.png"));
  }
  // A watch that remembers answers shares the queries out: still none asked again.
  {
    auto remembering = std::make_shared<RootWatch>(std::make_shared<brantic::RememberingFileQueries>(files), *watch);
    RootWatch::Pass pass(remembering, 10s, 10ms);
    EXPECT_FALSE(pass.IsReachablePath("/dead/tex/d.png"));
  }
  EXPECT_EQ(files->DeadQueries(), 1);
  files->Release();
  ASSERT_EQ(answered.get_future().wait_for(30s), std::future_status::ready);  // within its deadline: told
  RootWatch::Pass later(watch, 10s, 10s);
  EXPECT_TRUE(later.IsReachablePath("/dead/tex/a.png"));
  EXPECT_EQ(files->DeadQueries(), 2);
}

// What a layer that remembers answers asks of the one below: each path and folder once, and
// a root's own query every time.
TEST(RootWatch, RememberedFilesAreAskedOnce) {
  struct Counting final : brantic::FileQueries {
    brantic::IoDetect Detect(const std::string& path) const override {
      ++detects;
      return brantic::FileQueries::System()->Detect(path);
    }
    brantic::IoDetect DetectRoot(const std::string& root) const override {
      ++roots;
      return Detect(root);
    }
    bool ReadNames(const std::string& folder, const std::function<void(std::string_view)>& take) const override {
      ++listings;
      return brantic::FileQueries::System()->ReadNames(folder, take);
    }
    std::vector<std::string> MountPoints() const override { return {"/"}; }
    mutable int detects = 0, roots = 0, listings = 0;
  };
  auto counting = std::make_shared<Counting>();
  brantic::RememberingFileQueries remembering(counting);
  for (int round = 0; round < 3; ++round) {
    EXPECT_EQ(remembering.Detect("/tmp"), brantic::IoDetect::Directory);
    EXPECT_EQ(remembering.Detect("/no/such/file"), brantic::IoDetect::NotFound);
    int names = 0;
    EXPECT_TRUE(remembering.ReadNames("/proc/self", [&names](std::string_view) { ++names; }));
    EXPECT_GT(names, 0);
    EXPECT_FALSE(remembering.ReadNames("/no/such/folder", [](std::string_view) {}));
    remembering.DetectRoot("/tmp");
  }
  EXPECT_EQ(counting->detects, 2 + 3);  // two paths once each, and every root's query
  EXPECT_EQ(counting->listings, 2);
  EXPECT_EQ(counting->roots, 3);
}

// A layer whose dead root is mounted from a local disk: it is never asked apart.
TEST(RootWatch, ARootOnALocalDiskIsNotWaitedOn) {
  struct LocalDead final : brantic::FileQueries {
    explicit LocalDead(std::shared_ptr<kvtest::BlockingFiles> dead) : dead_(std::move(dead)) {}
    brantic::IoDetect Detect(const std::string& path) const override { return dead_->Detect(path); }
    bool ReadNames(const std::string& folder, const std::function<void(std::string_view)>& take) const override {
      return dead_->ReadNames(folder, take);
    }
    std::vector<std::string> MountPoints() const override { return dead_->MountPoints(); }
    std::vector<std::string> LocalMountPoints() const override { return {"/dead"}; }
    std::shared_ptr<kvtest::BlockingFiles> dead_;
  };
  auto dead = std::make_shared<kvtest::BlockingFiles>("/dead");
  RootWatch::Pass pass(std::make_shared<RootWatch>(std::make_shared<LocalDead>(dead)), 10s, 10ms);
  EXPECT_TRUE(pass.IsReachablePath("/dead/tex/a.png"));
  EXPECT_TRUE(pass.UnreachableRoots().empty());
  EXPECT_EQ(dead->DeadQueries(), 0);
}

TEST(RootWatch, ARootIsTheDeepestMountPointOrTheNamedRootAPathLiesUnder) {
  auto files = std::make_shared<kvtest::BlockingFiles>("/dead/share");
  files->Release();
  RootWatch::Pass pass(std::make_shared<RootWatch>(files), 1s, 1s);
  struct Case {
    const char *path, *named, *root;
  };
  for (const Case& c : {Case{"/dead/share/a.png", "", "/dead/share"}, Case{"/dead/shared/a.png", "", "/"},
                        Case{"/dead/share/p/a.png", "/dead/share/p/", "/dead/share/p"},
                        Case{"/dead/share/a.png", "/dead", "/dead/share"}, Case{"/x/a.png", "/y", "/"},
                        // The mount point itself, with a trailing or a doubled separator, and a
                        // relative path.
                        Case{"/dead/share", "", "/dead/share"}, Case{"/dead/share/", "", "/dead/share"},
                        Case{"/dead/share//a.png", "", "/dead/share"}, Case{"/dead//share/a.png", "", "/"},
                        Case{"dead/share/a.png", "", "/"}}) {
    EXPECT_EQ(pass.RootOf(c.path, c.named), c.root) << c.path << " " << c.named;
  }
  for (const auto& [path, root, under] : {std::tuple{"/mnt/a", "/mnt", true},
                                          {"/mnt", "/mnt/", true},
                                          {"/mnta", "/mnt", false},
                                          {"/a", "/", true},
                                          {"mnt/a", "/mnt", false},
                                          {"/a", "", false}}) {
    EXPECT_EQ(brantic::IsUnderRoot(path, root), under) << path << " " << root;
  }
}

TEST(RootWatch, MountPointsComeFromTheKernelTableWithTheirEscapes) {
  const std::string table =
      "26 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
      "27 26 0:24 / /mnt/my\\040share rw - nfs server:/x rw\n"
      "28 26 0:25 /sub /srv/back\\134slash rw - tmpfs tmpfs rw\n"
      "broken\n";
  EXPECT_EQ(brantic::MountPointsOfTable(table), (std::vector<std::string>{"/", "/mnt/my share", "/srv/back\\slash"}));
  // Local file systems are never waited on: network ones are.
  EXPECT_EQ(brantic::LocalMountPointsOfTable(table), (std::vector<std::string>{"/", "/srv/back\\slash"}));
  EXPECT_EQ(
      brantic::LocalMountPointsOfTable("1 0 8:1 / / rw - ext4 /dev/sda1 rw\n2 1 0:5 / /s rw - fuse.sshfs h: rw\n"),
      std::vector<std::string>{"/"});
  EXPECT_FALSE(brantic::FileQueries::System()->MountPoints().empty());
}

TEST(RootWatch, TheSystemAsksARootInAProcessOfItsOwnWithTheSameAnswers) {
  const auto files = brantic::FileQueries::System();
  char file[] = "/tmp/kv_root_XXXXXX";
  const int fd = ::mkstemp(file);
  ASSERT_GE(fd, 0);
  ::close(fd);
  for (const std::string& path : std::vector<std::string>{"/", "/kv/no/such/root", "/dev/null", file}) {
    EXPECT_EQ(files->DetectRoot(path), files->Detect(path)) << path;
  }
  EXPECT_EQ(files->DetectRoot(file), brantic::IoDetect::File);
  ::unlink(file);
}
