#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <atomic>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "brantic/filecopy.h"
#include "brantic/filewalk.h"
#include "support/temp_folder.h"
#include "support/unprivileged.h"

namespace {

namespace fs = std::filesystem;

using kvtest::ReadBytes;

// Every file the walk hands over, as paths below the root.
std::vector<std::string> Walk(const std::string& root, brantic::FileWalkStats* stats = nullptr,
                              size_t stopAfter = SIZE_MAX) {
  std::vector<std::string> found;
  brantic::FileWalkVisitor visitor;
  visitor.file = [&](const std::string& folder, std::string_view name) {
    found.push_back(fs::path(folder + "/" + std::string(name)).lexically_relative(root).string());
    return found.size() < stopAfter;
  };
  auto walked = brantic::WalkFiles(root, visitor);
  EXPECT_TRUE(walked.HasValue());
  if (stats && walked) *stats = *walked;
  return found;
}

TEST(FileWalkTest, DepthFirstInNameOrderFollowingLinksButNotLoops) {
  kvtest::TempFolder temp;
  kvtest::WriteBytes(temp / "b.png", "b");
  kvtest::WriteBytes(temp / "a/wood.jpg", "1");
  kvtest::WriteBytes(temp / "a/Z.png", "z");
  kvtest::WriteBytes(temp / "c/deep/wood.jpg", "2");
  fs::create_symlink(temp.Path(), temp / "c/loop");         // back to the root: walked once
  fs::create_symlink(temp / "a/Z.png", temp / "link.png");  // a link to a file is a file
  fs::create_symlink(temp / "gone", temp / "dangling.png");
  ASSERT_EQ(::mkfifo((temp / "pipe.png").c_str(), 0644), 0);

  brantic::FileWalkStats stats;
  EXPECT_EQ(Walk(temp.Path(), &stats),
            (std::vector<std::string>{"a/Z.png", "a/wood.jpg", "b.png", "c/deep/wood.jpg", "link.png"}));
  EXPECT_EQ(stats.files, 5);
  EXPECT_EQ(stats.folders, 4);
  EXPECT_EQ(stats.repeatedFolders, 1);
  EXPECT_FALSE(stats.stopped);

  // Stopping keeps what was handed over so far.
  EXPECT_EQ(Walk(temp.Path(), &stats, 2), (std::vector<std::string>{"a/Z.png", "a/wood.jpg"}));
  EXPECT_TRUE(stats.stopped);
  std::atomic<bool> stop{true};
  auto stopped =
      brantic::WalkFiles(temp.Path(), {nullptr, [](const std::string&, std::string_view) { return true; }}, &stop);
  ASSERT_TRUE(stopped.HasValue());
  EXPECT_TRUE(stopped->stopped);
  EXPECT_EQ(stopped->files, 0);

  EXPECT_FALSE(brantic::WalkFiles(temp / "b.png", {}).HasValue());
  EXPECT_FALSE(brantic::WalkFiles(temp / "none", {}).HasValue());
}

TEST(FileWalkTest, UnreadableFoldersAreCountedAndSkipped) {
  kvtest::TempFolder temp;
  ::chmod(temp.Path().c_str(), 0755);
  kvtest::WriteBytes(temp / "open/a.png", "a");
  kvtest::WriteBytes(temp / "shut/b.png", "b");
  ::chmod((temp / "shut").c_str(), 0);
  brantic::FileWalkStats stats;
  {
    kvtest::UnprivilegedFileAccess asUser;
    EXPECT_EQ(Walk(temp.Path(), &stats), std::vector<std::string>{"open/a.png"});
  }
  ::chmod((temp / "shut").c_str(), 0755);
  EXPECT_EQ(stats.unreadableFolders, 1);
}

TEST(FileCopyTest, CopiesKeepModeAndTimesAndReplaceTheTarget) {
  kvtest::TempFolder temp;
  const std::string source = temp / "in/a.bin";
  kvtest::WriteBytes(source, std::string(300000, 'x'));
  ::chmod(source.c_str(), 0640);
  const timespec times[2] = {{1000000, 0}, {2000000, 500}};
  ::utimensat(AT_FDCWD, source.c_str(), times, 0);
  kvtest::WriteBytes(temp / "out/a.bin", "old");

  // A file replaced, and a new one (made whole before it has a name).
  for (const char* target : {"out/a.bin", "out/new.bin"}) {
    auto copied = brantic::CopyFileSafely(source, temp / target, {.stop = nullptr, .chunkBytes = 4096});
    ASSERT_TRUE(copied.HasValue()) << copied.GetError().ToText();
    EXPECT_EQ(*copied, brantic::CopyOutcome::Copied);
    EXPECT_EQ(ReadBytes(temp / target), ReadBytes(source)) << target;
    struct stat info {};
    ASSERT_EQ(::stat((temp / target).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u) << target;
    EXPECT_EQ(info.st_mtim.tv_sec, 2000000) << target;
    EXPECT_EQ(info.st_mtim.tv_nsec, 500) << target;
  }

  // The source reached through another name is the same file: left alone, not truncated.
  fs::create_symlink(temp / "in", temp / "alias");
  const auto same = brantic::CopyFileSafely(source, temp / "alias/a.bin");
  ASSERT_TRUE(same.HasValue());
  EXPECT_EQ(*same, brantic::CopyOutcome::SameFile);
  EXPECT_EQ(ReadBytes(source), std::string(300000, 'x'));

  fs::create_directories(temp / "out/dir.bin");
  EXPECT_FALSE(brantic::CopyFileSafely(source, temp / "out/dir.bin").HasValue());
  EXPECT_FALSE(brantic::CopyFileSafely(temp / "in", temp / "out/x").HasValue());
  EXPECT_FALSE(brantic::CopyFileSafely(temp / "none", temp / "out/x").HasValue());
  EXPECT_FALSE(fs::exists(temp / "out/x"));
}

TEST(FileCopyTest, FailedOrStoppedCopiesLeaveTheTargetAsItWas) {
  kvtest::TempFolder temp;
  const std::string source = temp / "big.bin";
  kvtest::WriteBytes(source, std::string(1 << 20, 'n'));
  const std::string target = temp / "out/big.bin";
  kvtest::WriteBytes(target, "precious");
  // Over a file that is there, and where none is.
  for (const std::string& into : {target, temp / "out/new.bin"}) {
    // Stopped after the second chunk.
    int asked = 0;
    auto stopped = brantic::CopyFileSafely(source, into, {.stop = [&] { return ++asked > 2; }, .chunkBytes = 64 << 10});
    ASSERT_FALSE(stopped.HasValue());
    EXPECT_EQ(stopped.GetError().Kind(), brantic::ErrorKind::Cancelled);

    // A disk that fills up halfway: the file-size limit makes writes past 100 KB fail.
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 100 << 10;
    ::setrlimit(RLIMIT_FSIZE, &small);
    auto failed = brantic::CopyFileSafely(source, into);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    ASSERT_FALSE(failed.HasValue());
    EXPECT_EQ(failed.GetError().Kind(), brantic::ErrorKind::Io);

    EXPECT_EQ(ReadBytes(target), "precious");
    EXPECT_EQ(std::distance(fs::directory_iterator(temp / "out"), fs::directory_iterator()), 1)  // nothing left
        << into;
  }
}

TEST(FileCopyTest, CreateFoldersMakesTheWholeChain) {
  kvtest::TempFolder temp;
  EXPECT_TRUE(brantic::CreateFolders(temp / "a/b/c").HasValue());
  EXPECT_TRUE(fs::is_directory(temp / "a/b/c"));
  EXPECT_TRUE(brantic::CreateFolders(temp / "a/b/c").HasValue());
  kvtest::WriteBytes(temp / "file", "x");
  EXPECT_FALSE(brantic::CreateFolders(temp / "file").HasValue());
  EXPECT_FALSE(brantic::CreateFolders(temp / "file/sub").HasValue());
}

}  // namespace
