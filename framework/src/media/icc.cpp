// Reading the description of an ICC colour profile.
#include <string>

#include "brantic/imagetexture.h"

namespace brantic {

namespace {

uint32_t BigEndian32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

void AppendUtf8(std::string& out, uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xc0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3f));
  } else {
    out += static_cast<char>(0xe0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3f));
    out += static_cast<char>(0x80 | (code & 0x3f));
  }
}

}  // namespace

String IccProfileDescription(const uint8_t* data, size_t size) {
  // Header (128 bytes) with the "acsp" signature, then the tag table.
  if (!data || size < 132 || BigEndian32(data + 36) != 0x61637370) return String();
  const uint32_t tagCount = BigEndian32(data + 128);
  if (tagCount > (size - 132) / 12) return String();
  for (uint32_t i = 0; i < tagCount; ++i) {
    const uint8_t* entry = data + 132 + 12 * i;
    if (BigEndian32(entry) != 0x64657363) continue;  // "desc"
    const uint32_t offset = BigEndian32(entry + 4);
    const uint32_t length = BigEndian32(entry + 8);
    if (offset > size || length > size - offset || length < 12) return String();
    const uint8_t* tag = data + offset;
    const uint32_t type = BigEndian32(tag);
    if (type == 0x64657363) {  // "desc": a counted ASCII text
      const uint32_t count = BigEndian32(tag + 8);
      if (count == 0 || count > length - 12) return String();
      std::string text(reinterpret_cast<const char*>(tag + 12), count);
      while (!text.empty() && text.back() == '\0') text.pop_back();
      return String(std::move(text));
    }
    if (type == 0x6d6c7563 && length >= 28) {  // "mluc": the first record, UTF-16 big-endian
      const uint32_t textLength = BigEndian32(tag + 20);
      const uint32_t textOffset = BigEndian32(tag + 24);
      if (textOffset > length || textLength > length - textOffset) return String();
      std::string text;
      for (uint32_t k = 0; k + 1 < textLength; k += 2) {
        const uint32_t code = (uint32_t{tag[textOffset + k]} << 8) | tag[textOffset + k + 1];
        if (code == 0) break;
        AppendUtf8(text, code);
      }
      return String(std::move(text));
    }
    return String();
  }
  return String();
}

}  // namespace brantic
