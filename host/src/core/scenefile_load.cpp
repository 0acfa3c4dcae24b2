// Loading a scene file: its text read into memory once, then parsed.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>

#include "brantic/url.h"
#include "bx3/scenefile.h"

namespace bx3 {

namespace {

// The text of a scene file while it is parsed. Its pages are made at once instead of one
// page fault at a time as the file is read into it (on some machines a page fault costs more
// than reading the page).
class TextBuffer {
 public:
  explicit TextBuffer(size_t size) : size_(std::max<size_t>(size, 1)) {
    void* memory = ::mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) return;
    data_ = static_cast<char*>(memory);
    if (size_ >= kLarge) ::madvise(data_, size_, MADV_HUGEPAGE);
#ifdef MADV_POPULATE_WRITE
    ::madvise(data_, size_, MADV_POPULATE_WRITE);  // older kernels refuse it: then faults as before
#endif
  }
  ~TextBuffer() {
    if (data_) ::munmap(data_, size_);
  }
  TextBuffer(const TextBuffer&) = delete;
  TextBuffer& operator=(const TextBuffer&) = delete;

  explicit operator bool() const { return data_ != nullptr; }
  char* get() const { return data_; }
  void reset() {
    if (data_) ::munmap(data_, size_);
    data_ = nullptr;
  }

 private:
  static constexpr size_t kLarge = size_t(4) << 20;
  size_t size_;
  char* data_ = nullptr;
};

}  // namespace

brantic::Result<std::unique_ptr<Document>> LoadDocument(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return brantic::IoError(path + (errno == ENOENT ? ": no such file" : ": cannot open the file"));
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return brantic::IoError(path + ": not a regular file");
  }
  // Read into one buffer of the file's size: a large scene is not held twice.
  const size_t size = size_t(info.st_size);
  TextBuffer content(size);
  if (!content) {
    ::close(fd);
    return brantic::OutOfMemoryError(path + ": out of memory while reading");
  }
  size_t done = 0;
  while (done < size) {
    const ssize_t count = ::read(fd, content.get() + done, size - done);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) break;
    done += size_t(count);
  }
  const bool complete = done == size;
  ::close(fd);
  if (!complete) return brantic::IoError(path + ": cannot read the file");
  auto document = ParseDocument(std::string_view(content.get(), size), path);
  content.reset();
  if (!document) return document;
  std::string absolute = path;
  if (!absolute.empty() && absolute.front() != '/') {
    if (char* cwd = ::getcwd(nullptr, 0)) {
      absolute = std::string(cwd) + "/" + path;
      std::free(cwd);
    }
  }
  (*document)->SetFilename(Filename(brantic::NormalizePathText(absolute)));
  (*document)->MarkSaved();
  return document;
}

}  // namespace bx3
