// File I/O through URL scheme handlers. Any thread.
#pragma once

#include <cstdint>
#include <memory>

#include "brantic/result.h"
#include "brantic/url.h"

namespace brantic {

// What a URL names. A URL "exists" as a file exactly when detection answers File.
enum class IoDetect : int32_t {
  NotFound = 0,
  Other = 1,  // exists, but is neither a folder nor a regular file (pipe, device, socket)
  Directory = 2,
  File = 3,
};

// Handler kinds; the file scheme's handler is of kind 3.
enum class IoHandlerKind : int32_t { Relative = 2, File = 3 };

class InputStream {
 public:
  virtual ~InputStream() = default;
  virtual Result<int64_t> GetContentLength() = 0;
  // Reads up to `size` bytes; 0 at the end of the file.
  virtual Result<int64_t> Read(void* buffer, int64_t size) = 0;
};

class IoHandler {
 public:
  virtual ~IoHandler() = default;
  virtual IoHandlerKind Kind() const = 0;
  virtual Result<Url> Normalize(const Url& url, uint32_t flags) const = 0;
  virtual IoDetect Detect(const Url& url) const = 0;
  virtual Result<std::unique_ptr<InputStream>> OpenInput(const Url& url) const = 0;
};

// The handler of a URL's scheme; null for the empty URL.
const IoHandler* GetIoHandler(const Url& url);

// Exactly one file-system query per call.
IoDetect DetectIo(const Url& url);
inline bool IsExistingFile(const Url& url) { return DetectIo(url) == IoDetect::File; }

// What a URL names and, for a regular file, its size: one file-system query, for those who
// need both.
struct FileStat {
  IoDetect kind = IoDetect::NotFound;
  int64_t size = 0;
  int64_t modified = 0;  // the time of the last change of a regular file, in nanoseconds
};
FileStat StatFile(const Url& url);

// Opens a regular file for reading. Folders, pipes and devices are refused without
// blocking.
Result<std::unique_ptr<InputStream>> OpenForReading(const Url& url);

// The size of the file behind `url` through OpenForReading.
Result<int64_t> GetFileSize(const Url& url);

}  // namespace brantic
