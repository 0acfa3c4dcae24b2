#include "brantic/filequeries.h"

#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include <fstream>
#include <mutex>
#include <shared_mutex>
#include <sstream>
#include <unordered_map>

namespace brantic {

namespace {

// The child of DetectRoot: one query, its answer as the exit status. It shares the memory
// (and the thread-local storage) of a program whose other threads go on, so it makes system
// calls only, never through a library function that keeps state.
[[maybe_unused]] int DetectInChild(void* path) {
  // The files it was given a copy of are closed: a pipe the program writes to ends when the
  // program ends, however long this query waits.
  ::syscall(SYS_close_range, 0U, ~0U, 0U);
  struct stat info;  // filled by the call; not cleared, which would call into the library
  IoDetect answer = IoDetect::NotFound;
  if (::syscall(SYS_newfstatat, AT_FDCWD, static_cast<const char*>(path), &info, 0) == 0) {
    answer = S_ISREG(info.st_mode) ? IoDetect::File : S_ISDIR(info.st_mode) ? IoDetect::Directory : IoDetect::Other;
  }
  ::syscall(SYS_exit_group, int(answer));
  return int(answer);
}

class SystemFileQueries final : public FileQueries {
 public:
  IoDetect Detect(const std::string& path) const override {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) return IoDetect::NotFound;
    if (S_ISREG(info.st_mode)) return IoDetect::File;
    return S_ISDIR(info.st_mode) ? IoDetect::Directory : IoDetect::Other;
  }

  // In a process of its own that shares this one's memory: a share that never answers keeps
  // that process in the kernel's wait, where nothing can end it, and this one can still
  // exit (a thread of its own would hold up its exit).
  IoDetect DetectRoot(const std::string& root) const override {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    // The sanitizers' runtimes cannot follow a child that shares memory: asked here instead.
    return Detect(root);
#else
    constexpr size_t kStackSize = 64 * 1024;
    void* stack = ::mmap(nullptr, kStackSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
    if (stack == MAP_FAILED) return Detect(root);
    const pid_t child = ::clone(&DetectInChild, static_cast<char*>(stack) + kStackSize, CLONE_VM | SIGCHLD,
                                const_cast<char*>(root.c_str()));
    if (child < 0) {
      ::munmap(stack, kStackSize);
      return Detect(root);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    ::munmap(stack, kStackSize);
    return WIFEXITED(status) ? IoDetect(WEXITSTATUS(status)) : IoDetect::NotFound;
#endif
  }

  bool ReadNames(const std::string& folder, const std::function<void(std::string_view)>& take) const override {
    // O_NONBLOCK and O_DIRECTORY: a pipe or device under the name never blocks the read.
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
      ::close(fd);
      return false;
    }
    const std::unique_ptr<DIR, int (*)(DIR*)> closer(dir, ::closedir);
    while (const dirent* entry = ::readdir(dir)) {
      const std::string_view name(entry->d_name);
      if (name == "." || name == ".." || entry->d_type == DT_DIR) continue;
      take(name);
    }
    return true;
  }

  std::vector<std::string> MountPoints() const override {
    std::vector<std::string> points = MountPointsOfTable(MountTable());
    if (points.empty()) points.emplace_back("/");
    return points;
  }
  std::vector<std::string> LocalMountPoints() const override { return LocalMountPointsOfTable(MountTable()); }

 private:
  static std::string MountTable() {
    std::ifstream file("/proc/self/mountinfo");
    std::stringstream table;
    table << file.rdbuf();
    return table.str();
  }
};

// "\040" and the like: a space, tab, newline or backslash in a mount point.
std::string Unescaped(std::string_view field) {
  std::string text;
  for (size_t at = 0; at < field.size(); ++at) {
    const bool octal = field[at] == '\\' && at + 3 < field.size() &&
                       field.substr(at + 1, 3).find_first_not_of("01234567") == std::string_view::npos;
    if (octal) {
      text.push_back(char((field[at + 1] - '0') * 64 + (field[at + 2] - '0') * 8 + (field[at + 3] - '0')));
      at += 3;
    } else {
      text.push_back(field[at]);
    }
  }
  return text;
}

}  // namespace

std::shared_ptr<const FileQueries> FileQueries::System() {
  static const std::shared_ptr<const FileQueries> system = std::make_shared<SystemFileQueries>();
  return system;
}

namespace {

// File systems on this machine's own block devices, in its memory or made by its kernel.
constexpr std::string_view kLocalTypes[] = {
    "ext2",     "ext3",    "ext4",    "xfs",      "btrfs", "zfs",    "f2fs",   "jfs",     "reiserfs", "bcachefs",
    "tmpfs",    "ramfs",   "overlay", "squashfs", "vfat",  "exfat",  "ntfs",   "ntfs3",   "iso9660",  "udf",
    "devtmpfs", "hfsplus", "nilfs2",  "proc",     "sysfs", "devpts", "cgroup", "cgroup2",
};

}  // namespace

std::vector<std::string> LocalMountPointsOfTable(std::string_view table) {
  std::vector<std::string> points;
  while (!table.empty()) {
    const size_t end = table.find('\n');
    const std::string_view line = table.substr(0, end);
    table = end == std::string_view::npos ? std::string_view() : table.substr(end + 1);
    // ... mount point (the fifth field) ... " - " type source options
    const size_t separator = line.find(" - ");
    if (separator == std::string_view::npos) continue;
    std::string_view type = line.substr(separator + 3);
    type = type.substr(0, type.find(' '));
    if (std::find(std::begin(kLocalTypes), std::end(kLocalTypes), type) == std::end(kLocalTypes)) continue;
    const std::vector<std::string> point = MountPointsOfTable(line);
    points.insert(points.end(), point.begin(), point.end());
  }
  return points;
}

std::vector<std::string> MountPointsOfTable(std::string_view table) {
  std::vector<std::string> points;
  while (!table.empty()) {
    const size_t end = table.find('\n');
    std::string_view line = table.substr(0, end);
    table = end == std::string_view::npos ? std::string_view() : table.substr(end + 1);
    // id, parent, device, root, mount point, ...
    for (int field = 0; field < 4 && !line.empty(); ++field) {
      const size_t space = line.find(' ');
      line = space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
    }
    const std::string_view point = line.substr(0, line.find(' '));
    if (!point.empty() && point.front() == '/') points.push_back(Unescaped(point));
  }
  return points;
}

struct RememberingFileQueries::Memory {
  std::shared_mutex mutex;
  std::unordered_map<std::string, IoDetect> detected;
  std::unordered_map<std::string, std::optional<std::vector<std::string>>> names;  // nullopt: unreadable
  std::optional<std::vector<std::string>> mountPoints;
};

RememberingFileQueries::RememberingFileQueries(std::shared_ptr<const FileQueries> files)
    : files_(std::move(files)), memory_(std::make_shared<Memory>()) {}

IoDetect RememberingFileQueries::Detect(const std::string& path) const {
  {
    std::shared_lock lock(memory_->mutex);
    if (const auto known = memory_->detected.find(path); known != memory_->detected.end()) return known->second;
  }
  // Asked outside the lock: two threads may ask the same new path at once, and both answers agree.
  const IoDetect answer = files_->Detect(path);
  std::unique_lock lock(memory_->mutex);
  memory_->detected.emplace(path, answer);
  return answer;
}

bool RememberingFileQueries::ReadNames(const std::string& folder,
                                       const std::function<void(std::string_view)>& take) const {
  const auto give = [&take](const std::optional<std::vector<std::string>>& names) {
    if (!names) return false;
    for (const std::string& name : *names) take(name);
    return true;
  };
  // The names are handed out of the lock: `take` may ask again.
  std::optional<std::optional<std::vector<std::string>>> known;
  {
    std::shared_lock lock(memory_->mutex);
    if (const auto found = memory_->names.find(folder); found != memory_->names.end()) known = found->second;
  }
  if (known) return give(*known);
  std::vector<std::string> names;
  const bool read = files_->ReadNames(folder, [&names](std::string_view name) { names.emplace_back(name); });
  std::optional<std::vector<std::string>> answer;
  if (read) answer = std::move(names);
  {
    std::unique_lock lock(memory_->mutex);
    memory_->names.emplace(folder, answer);
  }
  return give(answer);
}

std::vector<std::string> RememberingFileQueries::MountPoints() const {
  std::unique_lock lock(memory_->mutex);
  if (!memory_->mountPoints) memory_->mountPoints = files_->MountPoints();
  return *memory_->mountPoints;
}

}  // namespace brantic
