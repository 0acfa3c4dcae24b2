#include "brantic/filecopy.h"

#include "filedescriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace brantic {

namespace {

// The temporary file beside the target; removed unless it was renamed into place.
class TemporaryFile {
 public:
  explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
  ~TemporaryFile() {
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  const std::string& Path() const { return path_; }
  void Keep() { path_.clear(); }

 private:
  std::string path_;
};

Error FileError(const std::string& path, const char* what) {
  return IoError(path + ": " + what + ": " + std::strerror(errno));
}

bool IsStopped(const CopyOptions& options) { return options.stop && options.stop(); }

// Moves every byte of `in` to `out`: in the kernel where the file systems allow it, through a
// buffer where they do not.
Result<void> CopyData(int in, int out, const std::string& source, const std::string& temp, const CopyOptions& options) {
  const size_t chunk = size_t(options.chunkBytes > 0 ? options.chunkBytes : 1 << 20);
  bool kernelCopy = true;
  std::vector<char> buffer;
  for (;;) {
    if (IsStopped(options)) return Error(ErrorKind::Cancelled, "the copy of " + source + " was stopped");
    if (kernelCopy) {
      const ssize_t copied = ::copy_file_range(in, nullptr, out, nullptr, chunk, 0);
      if (copied > 0) continue;
      if (copied == 0) return OK();
      if (errno == EINTR) continue;
      if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP) {
        return FileError(temp, "cannot write");
      }
      kernelCopy = false;
      buffer.resize(std::min<size_t>(chunk, 1 << 20));
    }
    const ssize_t count = ::read(in, buffer.data(), buffer.size());
    if (count == 0) return OK();
    if (count < 0) {
      if (errno == EINTR) continue;
      return FileError(source, "cannot read");
    }
    for (ssize_t written = 0; written < count;) {
      const ssize_t step = ::write(out, buffer.data() + written, size_t(count - written));
      if (step < 0 && errno == EINTR) continue;
      if (step <= 0) return FileError(temp, "cannot write");
      written += step;
    }
  }
}

// Copies `in` into a file without a name in `folder` and then names it `target`, which must
// be free: no part of the copy is ever seen under a name, and a copy that fails or is stopped
// leaves nothing behind. Nothing (the caller copies through a named temporary file) where the
// file system makes no unnamed files, or where `target` was taken meanwhile.
std::optional<Result<CopyOutcome>> CopyUnnamed(int in, const struct stat& sourceInfo, const std::string& folder,
                                               const std::string& source, const std::string& target,
                                               const CopyOptions& options) {
  FileDescriptor out(::open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
  if (out.Get() < 0) return std::nullopt;
  if (Result<void> copied = CopyData(in, out.Get(), source, target, options); !copied) {
    return Result<CopyOutcome>(copied.GetError());
  }
  if (::fchmod(out.Get(), sourceInfo.st_mode & 07777) != 0) {
    return Result<CopyOutcome>(FileError(target, "cannot set permissions"));
  }
  const timespec times[2] = {sourceInfo.st_atim, sourceInfo.st_mtim};
  if (::futimens(out.Get(), times) != 0) return Result<CopyOutcome>(FileError(target, "cannot set times"));
  if (IsStopped(options)) {
    return Result<CopyOutcome>(Error(ErrorKind::Cancelled, "the copy of " + source + " was stopped"));
  }
  const std::string self = "/proc/self/fd/" + std::to_string(out.Get());
  if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) != 0) {
    if (errno == EEXIST || errno == ENOENT) return std::nullopt;
    return Result<CopyOutcome>(FileError(target, "cannot make"));
  }
  if (!out.Close()) {
    ::unlink(target.c_str());  // it was not there before
    return Result<CopyOutcome>(FileError(target, "cannot write"));
  }
  return Result<CopyOutcome>(CopyOutcome::Copied);
}

}  // namespace

Result<CopyOutcome> CopyFileSafely(const std::string& source, const std::string& target, const CopyOptions& options) {
  // O_NONBLOCK: a pipe never blocks the open; it is refused below as not a file.
  FileDescriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (in.Get() < 0) return FileError(source, "cannot open");
  struct stat sourceInfo {};
  if (::fstat(in.Get(), &sourceInfo) != 0) return FileError(source, "cannot read");
  if (!S_ISREG(sourceInfo.st_mode)) return IllegalArgumentError(source + ": not a regular file");
  ::fcntl(in.Get(), F_SETFL, 0);

  struct stat targetInfo {};
  const bool targetThere = ::stat(target.c_str(), &targetInfo) == 0;
  const bool targetAbsent = !targetThere && errno == ENOENT;
  if (targetThere) {
    if (targetInfo.st_dev == sourceInfo.st_dev && targetInfo.st_ino == sourceInfo.st_ino) {
      return CopyOutcome::SameFile;
    }
    if (S_ISDIR(targetInfo.st_mode)) return IllegalArgumentError(target + ": a folder is in the way");
  }

  const size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  // A new file is made whole before it has a name; a file that is replaced is copied beside it
  // and renamed over it.
  if (targetAbsent) {
    if (auto made = CopyUnnamed(in.Get(), sourceInfo, folder, source, target, options)) return *made;
    if (::lseek(in.Get(), 0, SEEK_SET) != 0) return FileError(source, "cannot read");
  }
  std::string pattern = folder + "." + name + ".copying-XXXXXX";
  const int tempFd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (tempFd < 0) return FileError(folder.empty() ? target : folder, "cannot make a temporary file");
  TemporaryFile temp(pattern);
  FileDescriptor out(tempFd);

  if (Result<void> copied = CopyData(in.Get(), out.Get(), source, temp.Path(), options); !copied) {
    return copied.GetError();
  }
  if (::fchmod(out.Get(), sourceInfo.st_mode & 07777) != 0) return FileError(temp.Path(), "cannot set permissions");
  const timespec times[2] = {sourceInfo.st_atim, sourceInfo.st_mtim};
  if (::futimens(out.Get(), times) != 0) return FileError(temp.Path(), "cannot set times");
  if (!out.Close()) return FileError(temp.Path(), "cannot write");
  if (IsStopped(options)) return Error(ErrorKind::Cancelled, "the copy of " + source + " was stopped");
  if (::rename(temp.Path().c_str(), target.c_str()) != 0) return FileError(target, "cannot replace");
  temp.Keep();
  return CopyOutcome::Copied;
}

bool IsSameFile(const std::string& first, const std::string& second) {
  struct stat a {
  }, b{};
  return ::stat(first.c_str(), &a) == 0 && ::stat(second.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
         a.st_ino == b.st_ino;
}

Result<void> CreateFolders(const std::string& folder) {
  if (folder.empty()) return IllegalArgumentError("no folder named");
  struct stat info {};
  if (::stat(folder.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return OK();
    return IllegalArgumentError(folder + ": not a folder");
  }
  for (size_t end = folder.find('/', 1);; end = folder.find('/', end + 1)) {
    const std::string part = folder.substr(0, end);
    if (!part.empty() && ::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) {
      return FileError(part, "cannot make the folder");
    }
    if (end == std::string::npos) break;
  }
  if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    return IllegalArgumentError(folder + ": not a folder");
  }
  return OK();
}

}  // namespace brantic
