// The readers module's entry: the table of what it reads, as the framework asks for it.
#include "media_readers.h"

namespace brantic::media {

namespace {

std::optional<FileFormatHandler> Describe(const std::string& path, int64_t knownSize) {
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  const bool hasSuffix = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  const std::string_view suffix = hasSuffix ? std::string_view(path).substr(dot + 1) : std::string_view();
  if (!IsMovieLibrarySuffix(suffix)) {
    if (auto handler = DescribeWithImageLibrary(path, knownSize)) return handler;
  }
  return DescribeWithMovieLibrary(path);
}

constexpr Readers kReaders{kReadersVersion, Describe, LoadPictureFile, DecodePictureBytes, ReadSoundPeaksFile};

}  // namespace

}  // namespace brantic::media

extern "C" __attribute__((visibility("default"))) const brantic::media::Readers* brantic_media_readers() {
  return &brantic::media::kReaders;
}
