// Writing a file whole or not at all: a temporary file beside the target, flushed and renamed
// over it.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "bx3/scenefile.h"

namespace bx3 {

namespace {

// Temporary files are named "<target>.partial-XXXXXX": a save that was killed leaves one, and
// a later save of the same target knows it by that name.
constexpr std::string_view kPartialMark = ".partial-";
constexpr size_t kUniqueLength = 6;

// When this process started (near enough: when the host library was loaded). A partial file
// older than that cannot belong to a save still running here.
const time_t kStartedAt = std::time(nullptr);

std::pair<std::string, std::string> FolderAndName(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {".", path};
  return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

// The file a save of `path` replaces: the target of a symbolic link, resolved once, so that
// the link stays a link. A path that does not exist yet is written as it is.
std::string ResolveTarget(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) return path;
  return resolved;
}

// Removes what killed saves of `name` left in `folder`: only regular files of our own pattern
// that were last written before this process started.
void RemoveStalePartials(const std::string& folder, const std::string& name) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  const std::string prefix = name + std::string(kPartialMark);
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view entryName(entry->d_name);
    if (entryName.size() != prefix.size() + kUniqueLength || !entryName.starts_with(prefix)) continue;
    struct stat info {};
    if (::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (!S_ISREG(info.st_mode) || info.st_mtime >= kStartedAt) continue;
    ::unlinkat(::dirfd(dir), entry->d_name, 0);
  }
  ::closedir(dir);
}

}  // namespace

brantic::Result<void> WriteFileAtomically(const std::string& path, std::string_view bytes) {
  return WriteFileAtomically(path, [bytes](const ChunkWriter& write) { return write(bytes); });
}

brantic::Result<void> WriteFileAtomically(const std::string& path,
                                          const std::function<bool(const ChunkWriter&)>& produce) {
  const std::string target = ResolveTarget(path);
  const auto [folder, name] = FolderAndName(target);
  RemoveStalePartials(folder, name);
  std::string temporary = target + std::string(kPartialMark) + std::string(kUniqueLength, 'X');
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return brantic::IoError(path + ": cannot create a file in " + folder + ": " + std::strerror(errno));
  auto fail = [&](const std::string& what) {
    const std::string reason = std::strerror(errno);
    ::close(fd);
    ::unlink(temporary.c_str());
    return brantic::IoError(path + ": " + what + ": " + reason);
  };
  // Keep the permissions of the file being replaced; a new file gets the usual 0644.
  struct stat existing {};
  ::fchmod(fd, ::stat(target.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0644);
  off_t written = 0;
  const ChunkWriter write = [fd, &written](std::string_view bytes) {
    for (size_t done = 0; done < bytes.size();) {
      const ssize_t count = ::write(fd, bytes.data() + done, bytes.size() - done);
      if (count < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      done += static_cast<size_t>(count);
    }
    // The disk starts on each piece as it comes, so that the flush at the end of a large file
    // waits for its last pieces only.
    ::sync_file_range(fd, written, off_t(bytes.size()), SYNC_FILE_RANGE_WRITE);
    written += off_t(bytes.size());
    return true;
  };
  if (!produce(write)) return fail("cannot write");
  if (::fsync(fd) != 0) return fail("cannot flush");
  if (::close(fd) != 0) {
    ::unlink(temporary.c_str());
    return brantic::IoError(path + ": cannot close: " + std::strerror(errno));
  }
  if (::rename(temporary.c_str(), target.c_str()) != 0) {
    const std::string reason = std::strerror(errno);
    ::unlink(temporary.c_str());
    return brantic::IoError(path + ": cannot replace the file: " + reason);
  }
  // Make the rename itself durable.
  const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd >= 0) {
    ::fsync(folderFd);
    ::close(folderFd);
  }
  return brantic::OK();
}

}  // namespace bx3
