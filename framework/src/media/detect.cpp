#include <fcntl.h>
#include <unistd.h>

#include <mutex>
#include <vector>

#include "brantic/formatsniff.h"
#include "brantic/imagetexture.h"
#include "brantic/io.h"
#include "brantic/media.h"
#include "media_readers.h"

namespace brantic {

namespace {

struct DetectorRegistry {
  std::mutex mutex;
  std::vector<FileFormatDetector> detectors;
};

DetectorRegistry& Detectors() {
  static DetectorRegistry registry;
  return registry;
}

std::string_view SuffixOf(std::string_view path) {
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
  return path.substr(dot + 1);
}

// The media handler of a regular file, by the readers (opened now if they are not yet).
// `knownSize`: the file's size when the caller knows it, else -1.
std::optional<FileFormatHandler> DescribeMedia(const std::string& path, int64_t knownSize = -1) {
  // An empty file, or one whose first bytes are of no media format, is no reader's.
  if (knownSize == 0) return std::nullopt;
  {
    char head[kSniffBytes];
    ssize_t length = -1;
    if (const int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK); file >= 0) {
      length = ::read(file, head, sizeof head);
      ::close(file);
    }
    if (length >= 0) {
      const SniffedMedia sniffed = SniffMedia(std::string_view(head, size_t(length)));
      if (sniffed == SniffedMedia::Empty) return std::nullopt;
      if (sniffed == SniffedMedia::Unknown && !SuffixMayLackSignature(SuffixOf(path))) return std::nullopt;
    }
  }
  auto readers = media::LoadedReaders();
  if (!readers) return std::nullopt;
  return (*readers)->describe(path, knownSize);
}

}  // namespace

Result<MediaInput> FileFormatHandler::CreateMediaInput(const Url& /*url*/) const {
  if (type_ != FileFormatHandlerType::MediaInput) {
    return IllegalStateError("the " + formatName_.Std() + " handler makes no media input");
  }
  return MediaInput(properties_, formatName_);
}

void RegisterFileFormatDetector(FileFormatDetector detector) {
  std::lock_guard lock(Detectors().mutex);
  Detectors().detectors.push_back(std::move(detector));
}

Result<void> DetectFileFormats(const Url& url, const FileFormatCallback& callback, int64_t knownFileSize) {
  if (!callback) return NullPointerError("no callback for the detected formats");
  // Only regular files are opened: folders, pipes and devices name no format.
  if (knownFileSize < 0 && DetectIo(url) != IoDetect::File) return OK();
  std::vector<FileFormatDetector> detectors;
  {
    std::lock_guard lock(Detectors().mutex);
    detectors = Detectors().detectors;
  }
  for (const FileFormatDetector& detector : detectors) {
    if (std::optional<FileFormatHandler> handler = detector(url)) {
      auto answer = callback(url, *handler);
      if (!answer) return answer.GetError();
      return OK();
    }
  }
  if (std::optional<FileFormatHandler> handler = DescribeMedia(url.GetSystemPath(), knownFileSize)) {
    auto answer = callback(url, *handler);
    if (!answer) return answer.GetError();
  }
  return OK();
}

Result<ImageTexture> LoadImageTexture(const Url& url, TimeValue time, int32_t /*flags*/,
                                      const FileFormatHandler* handler) {
  if (!time.IsZero()) return Error(ErrorKind::Unsupported, "only time 0 can be described");
  std::shared_ptr<const ImageTexture> description = handler ? handler->Description() : nullptr;
  if (!description) {
    if (DetectIo(url) != IoDetect::File) return IoError(url.GetSystemPath() + ": not a readable file");
    if (std::optional<FileFormatHandler> found = DescribeMedia(url.GetSystemPath())) {
      description = found->Description();
    }
  }
  if (!description || description->pictures.empty()) {
    return IllegalArgumentError(url.GetSystemPath() + ": no picture in the file");
  }
  return *description;
}

String GetDefaultColorProfileText() { return String("sRGB IEC61966-2.1"); }

}  // namespace brantic
