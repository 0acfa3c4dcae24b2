#include "brantic/pictureheader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <vector>

namespace brantic {

namespace {

// The first read; a PNG whose chunks before its first IDAT go beyond it is read to this many
// bytes, and beyond that the readers are asked.
constexpr size_t kFirstRead = 8 * 1024;
constexpr size_t kHeaderBytes = 64 * 1024;
// The picture library's PNG reader refuses wider or higher pictures.
constexpr uint32_t kLargestPngSide = 1000000;

uint32_t BigEndian32(std::string_view bytes, size_t at) {
  return uint32_t(uint8_t(bytes[at])) << 24 | uint32_t(uint8_t(bytes[at + 1])) << 16 |
         uint32_t(uint8_t(bytes[at + 2])) << 8 | uint32_t(uint8_t(bytes[at + 3]));
}

uint32_t Crc32(std::string_view bytes) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> made{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
      made[n] = c;
    }
    return made;
  }();
  uint32_t crc = 0xffffffffu;
  for (const char byte : bytes) crc = table[(crc ^ uint8_t(byte)) & 0xff] ^ (crc >> 8);
  return crc ^ 0xffffffffu;
}

bool ValidPngDepth(uint8_t colorType, uint8_t depth) {
  switch (colorType) {
    case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6: return depth == 8 || depth == 16;
    default: return false;
  }
}

// A PNG read as far as its first IDAT chunk, every chunk whole with its checksum: what the
// readers read before they answer. Anything out of the ordinary is left to them.
// `cut` is set when the bytes ended before the first IDAT.
std::optional<PictureHeader> ParsePng(std::string_view bytes, bool& cut) {
  cut = false;
  using namespace std::string_view_literals;
  constexpr std::string_view kSignature = "\x89PNG\r\n\x1a\n"sv;
  if (!bytes.starts_with(kSignature)) return std::nullopt;
  size_t at = kSignature.size();
  PictureHeader header;
  bool palette = false, paletteSeen = false;
  for (bool first = true;; first = false) {
    if (bytes.size() - at < 12) {
      cut = true;
      return std::nullopt;
    }
    const uint32_t length = BigEndian32(bytes, at);
    if (length > bytes.size() - at - 12) {
      cut = true;
      return std::nullopt;
    }
    const std::string_view type = bytes.substr(at + 4, 4);
    const std::string_view data = bytes.substr(at + 8, length);
    if (Crc32(bytes.substr(at + 4, 4 + size_t(length))) != BigEndian32(bytes, at + 8 + length)) return std::nullopt;
    if (first) {
      if (type != "IHDR" || length != 13) return std::nullopt;
      const uint32_t width = BigEndian32(data, 0), height = BigEndian32(data, 4);
      const auto depth = uint8_t(data[8]), colorType = uint8_t(data[9]);
      if (width == 0 || height == 0 || width > kLargestPngSide || height > kLargestPngSide) return std::nullopt;
      if (!ValidPngDepth(colorType, depth) || data[10] != 0 || data[11] != 0 || uint8_t(data[12]) > 1) {
        return std::nullopt;
      }
      header = {String("PNG"), int64_t(width), int64_t(height)};
      palette = colorType == 3;
    } else if (type == "IDAT") {
      if (palette && !paletteSeen) return std::nullopt;
      return header;
    } else if (type == "PLTE") {
      paletteSeen = true;
    } else if ((uint8_t(type[0]) & 0x20) == 0) {
      return std::nullopt;  // another critical chunk (IHDR again, IEND): the readers tell
    }
    at += 12 + size_t(length);
  }
}

}  // namespace

std::optional<PictureHeader> ParsePictureHeader(std::string_view bytes) {
  bool cut = false;
  return ParsePng(bytes, cut);
}

std::optional<PictureHeader> ReadPictureHeader(const std::string& path, int64_t knownSize) {
  if (knownSize == 0) return std::nullopt;
  const int file = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (file < 0) return std::nullopt;
  struct stat info {};
  std::optional<PictureHeader> header;
  if (::fstat(file, &info) == 0 && S_ISREG(info.st_mode)) {
    std::vector<char> bytes;
    for (const size_t wanted : {kFirstRead, kHeaderBytes}) {
      const size_t size = size_t(std::min<int64_t>(int64_t(wanted), int64_t(info.st_size)));
      if (size <= bytes.size()) break;  // the whole file was read already
      size_t done = bytes.size();
      bytes.resize(size);
      while (done < size) {
        const ssize_t count = ::pread(file, bytes.data() + done, size - done, off_t(done));
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) break;
        done += size_t(count);
      }
      bytes.resize(done);
      bool cut = false;
      header = ParsePng(std::string_view(bytes.data(), bytes.size()), cut);
      if (header || !cut || done < size) break;
    }
  }
  ::close(file);
  return header;
}

}  // namespace brantic
