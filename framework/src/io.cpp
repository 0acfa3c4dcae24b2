#include "brantic/io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace brantic {

namespace {

class FileInputStream final : public InputStream {
 public:
  explicit FileInputStream(int fd) : fd_(fd) {}
  ~FileInputStream() override { ::close(fd_); }
  FileInputStream(const FileInputStream&) = delete;
  FileInputStream& operator=(const FileInputStream&) = delete;

  Result<int64_t> GetContentLength() override {
    struct stat info {};
    if (::fstat(fd_, &info) != 0) return IoError(std::strerror(errno));
    return static_cast<int64_t>(info.st_size);
  }

  Result<int64_t> Read(void* buffer, int64_t size) override {
    for (;;) {
      const ssize_t count = ::read(fd_, buffer, static_cast<size_t>(size));
      if (count >= 0) return static_cast<int64_t>(count);
      if (errno != EINTR) return IoError(std::strerror(errno));
    }
  }

 private:
  int fd_;
};

}  // namespace

class FileIoHandler final : public IoHandler {
 public:
  IoHandlerKind Kind() const override { return IoHandlerKind::File; }

  Result<Url> Normalize(const Url& url, uint32_t flags) const override {
    if (!(flags & kNormalizeResolveDots)) return url;
    return Url(Url::Scheme::File, String(NormalizePathText(url.GetPath().View())));
  }

  IoDetect Detect(const Url& url) const override {
    struct stat info {};
    if (::stat(url.GetPath().CStr(), &info) != 0) return IoDetect::NotFound;
    if (S_ISREG(info.st_mode)) return IoDetect::File;
    if (S_ISDIR(info.st_mode)) return IoDetect::Directory;
    return IoDetect::Other;
  }

  Result<std::unique_ptr<InputStream>> OpenInput(const Url& url) const override {
    // O_NONBLOCK keeps a named pipe from blocking the open; anything that is not a regular
    // file is refused right after.
    const int fd = ::open(url.GetPath().CStr(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return IoError(url.GetSystemPath() + ": " + std::strerror(errno));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
      ::close(fd);
      return IoError(url.GetSystemPath() + ": not a regular file");
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return std::unique_ptr<InputStream>(std::make_unique<FileInputStream>(fd));
  }
};

class RelativeIoHandler final : public IoHandler {
 public:
  IoHandlerKind Kind() const override { return IoHandlerKind::Relative; }

  Result<Url> Normalize(const Url& url, uint32_t flags) const override {
    if (!(flags & kNormalizeResolveDots)) return url;
    return Url(Url::Scheme::Relative, String(NormalizePathText(url.GetPath().View())));
  }

  // A relative URL names nothing until it is placed below a folder.
  IoDetect Detect(const Url&) const override { return IoDetect::NotFound; }

  Result<std::unique_ptr<InputStream>> OpenInput(const Url& url) const override {
    return IllegalArgumentError("a relative URL cannot be opened: " + url.ToString());
  }
};

const IoHandler* GetIoHandler(const Url& url) {
  static const FileIoHandler file;
  static const RelativeIoHandler relative;
  if (url.IsEmpty()) return nullptr;
  if (url.IsRelative()) return &relative;
  return &file;
}

IoDetect DetectIo(const Url& url) {
  const IoHandler* handler = GetIoHandler(url);
  return handler ? handler->Detect(url) : IoDetect::NotFound;
}

FileStat StatFile(const Url& url) {
  if (url.IsEmpty() || url.IsRelative()) return {DetectIo(url), 0};
  struct stat info {};
  if (::stat(url.GetPath().CStr(), &info) != 0) return {};
  if (S_ISREG(info.st_mode)) {
    return {IoDetect::File, static_cast<int64_t>(info.st_size),
            static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
  }
  return {S_ISDIR(info.st_mode) ? IoDetect::Directory : IoDetect::Other, 0};
}

Result<std::unique_ptr<InputStream>> OpenForReading(const Url& url) {
  const IoHandler* handler = GetIoHandler(url);
  if (!handler) return IllegalArgumentError("cannot open the empty URL");
  return handler->OpenInput(url);
}

Result<int64_t> GetFileSize(const Url& url) {
  auto stream = OpenForReading(url);
  if (!stream) return stream.GetError();
  return (*stream)->GetContentLength();
}

}  // namespace brantic
