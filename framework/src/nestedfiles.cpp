#include "brantic/nestedfiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include "brantic/json_cursor.h"
#include "filedescriptor.h"

namespace brantic {

namespace {

constexpr size_t kMaxWholeFile = size_t(256) << 20;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return (x >= 'A' && x <= 'Z' ? x + 32 : x) == (y >= 'A' && y <= 'Z' ? y + 32 : y);
         });
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && EqualsIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}

// The first word of a line and the rest after the white space that follows it.
std::pair<std::string_view, std::string_view> Keyword(std::string_view line) {
  line = Trimmed(line);
  size_t end = 0;
  while (end < line.size() && !IsSpace(line[end])) ++end;
  return {line.substr(0, end), Trimmed(line.substr(end))};
}

// An "mtllib" line names one library or several separated by spaces; a name with spaces in
// it (as some exporters write) is taken whole when its words are not each a library.
void AddLibraries(std::string_view names, NamedFiles& found) {
  std::vector<std::string_view> words;
  for (size_t at = 0; at < names.size();) {
    while (at < names.size() && IsSpace(names[at])) ++at;
    const size_t start = at;
    while (at < names.size() && !IsSpace(names[at])) ++at;
    if (at > start) words.push_back(names.substr(start, at - start));
  }
  const bool eachALibrary =
      std::all_of(words.begin(), words.end(), [](std::string_view w) { return EndsWithIgnoringCase(w, ".mtl"); });
  if (!eachALibrary && !words.empty()) words = {names};
  for (const std::string_view word : words) found.files.push_back({std::string(word), "mtllib", 0});
}

// One OBJ line if it is an "mtllib" line.
void ObjLine(std::string_view line, NamedFiles& found) {
  const auto [keyword, rest] = Keyword(line);
  if (keyword == "mtllib" && !rest.empty()) AddLibraries(rest, found);
}

// Options a texture map may have before its file name, and how many values each takes at
// most ("-o", "-s" and "-t" take one to three numbers).
struct MapOption {
  std::string_view name;
  int values;
  bool numbers;  // the values are numbers, so fewer than `values` may be given
};
constexpr std::array kMapOptions = {
    MapOption{"-blendu", 1, false}, MapOption{"-blendv", 1, false},  MapOption{"-boost", 1, true},
    MapOption{"-mm", 2, true},      MapOption{"-o", 3, true},        MapOption{"-s", 3, true},
    MapOption{"-t", 3, true},       MapOption{"-texres", 1, true},   MapOption{"-clamp", 1, false},
    MapOption{"-bm", 1, true},      MapOption{"-imfchan", 1, false}, MapOption{"-type", 1, false},
    MapOption{"-cc", 1, false},
};
constexpr std::array kMapKeywords = {"map_Kd", "map_Ka", "map_Ks", "map_Ns", "map_d",  "map_bump", "bump", "disp",
                                     "decal",  "refl",   "map_Pr", "map_Pm", "map_Ps", "map_Ke",   "norm"};

bool IsNumber(std::string_view word) {
  if (word.empty()) return false;
  size_t at = word[0] == '-' || word[0] == '+' ? 1 : 0;
  bool digit = false;
  for (; at < word.size(); ++at) {
    if (word[at] >= '0' && word[at] <= '9') {
      digit = true;
    } else if (word[at] != '.' && word[at] != 'e' && word[at] != 'E' && word[at] != '-' && word[at] != '+') {
      return false;
    }
  }
  return digit;
}

// The file name of a map's arguments: after its options, the rest of the line.
std::string_view MapFileName(std::string_view arguments) {
  for (;;) {
    arguments = Trimmed(arguments);
    if (arguments.empty() || arguments.front() != '-') return arguments;
    const auto [option, rest] = Keyword(arguments);
    const auto known = std::find_if(kMapOptions.begin(), kMapOptions.end(),
                                    [&](const MapOption& o) { return EqualsIgnoringCase(o.name, option); });
    if (known == kMapOptions.end()) return arguments;  // a name that starts with "-"
    arguments = rest;
    for (int value = 0; value < known->values; ++value) {
      const auto [word, after] = Keyword(arguments);
      if (word.empty() || (known->numbers && !IsNumber(word))) break;
      arguments = after;
    }
  }
}

template <typename OnLine>
void ForEachLine(std::string_view text, OnLine onLine) {
  int64_t number = 0;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    onLine(text.substr(0, end), ++number);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
}

// A regular file opened for reading; folders, pipes and devices are refused without waiting.
Result<std::unique_ptr<FileDescriptor>> OpenRegular(const std::string& path) {
  auto fd = std::make_unique<FileDescriptor>(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (fd->Get() < 0) return IoError("cannot open " + path + ": " + std::strerror(errno));
  struct stat info {};
  if (::fstat(fd->Get(), &info) != 0 || !S_ISREG(info.st_mode)) return IoError(path + " is not a regular file");
  return fd;
}

Result<std::string> ReadWhole(const std::string& path) {
  auto fd = OpenRegular(path);
  if (!fd) return fd.GetError();
  struct stat info {};
  if (::fstat((*fd)->Get(), &info) != 0) return IoError("cannot read " + path);
  if (size_t(info.st_size) > kMaxWholeFile) return IoError(path + " is larger than 256 MB");
  std::string text(size_t(info.st_size), '\0');
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t got = ::read((*fd)->Get(), text.data() + done, text.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return IoError("cannot read " + path + ": " + std::strerror(errno));
    if (got == 0) break;
    done += size_t(got);
  }
  text.resize(done);
  return text;
}

// A URI of a glTF: a file path (relative, or a "file:" URI), "data:" (embedded), or another
// scheme (not a file here).
void AddUri(std::string_view uri, const char* kind, int64_t index, NamedFiles& found) {
  if (uri.starts_with("data:")) {
    ++found.embedded;
    return;
  }
  const size_t colon = uri.find(':');
  const size_t slash = uri.find('/');
  // "C:/x.png" is a drive, not a scheme.
  const bool scheme =
      colon != std::string_view::npos && colon > 1 && (slash == std::string_view::npos || colon < slash);
  if (scheme) {
    if (!uri.starts_with("file:")) return;
    uri.remove_prefix(5);
    if (uri.starts_with("//")) {
      uri.remove_prefix(2);
      uri.remove_prefix(std::min(uri.find('/'), uri.size()));  // the host, usually empty
    }
  }
  std::string path = PercentDecoded(uri);
  if (path.empty()) return;  // names no file
  found.files.push_back({std::move(path), std::string(kind) + "/" + std::to_string(index), 0});
}

}  // namespace

NestingFormat NestingFormatOf(std::string_view path) {
  if (EndsWithIgnoringCase(path, ".obj")) return NestingFormat::Obj;
  if (EndsWithIgnoringCase(path, ".mtl")) return NestingFormat::Mtl;
  if (EndsWithIgnoringCase(path, ".gltf")) return NestingFormat::Gltf;
  if (EndsWithIgnoringCase(path, ".glb")) return NestingFormat::Glb;
  return NestingFormat::None;
}

NamedFiles ObjLibrariesOfText(std::string_view text) {
  NamedFiles found;
  ForEachLine(text, [&](std::string_view line, int64_t) { ObjLine(line, found); });
  return found;
}

Result<NamedFiles> ReadObjLibraries(const std::string& path) {
  auto fd = OpenRegular(path);
  if (!fd) return fd.GetError();
  NamedFiles found;
  // Only lines that hold "mtllib" are looked at: the rest is geometry, passed over at the
  // speed of a text search (lines are not counted: that alone would cost more than the search).
  constexpr size_t kBlock = size_t(1) << 20;
  constexpr std::string_view kWord = "mtllib";
  const std::unique_ptr<char[]> buffer(new char[2 * kBlock]);
  size_t kept = 0;               // the start of an unfinished line, moved to the buffer's start
  bool bufferStartsLine = true;  // false while the rest of a line too long to keep goes by
  for (;;) {
    ssize_t got = 0;
    do {
      got = ::read((*fd)->Get(), buffer.get() + kept, 2 * kBlock - kept);
    } while (got < 0 && errno == EINTR);
    if (got < 0) return IoError("cannot read " + path + ": " + std::strerror(errno));
    const bool atEnd = got == 0;
    const std::string_view filled(buffer.get(), kept + size_t(got));
    // Whole lines only; the last, unfinished one waits for the next block.
    const size_t lastNewline = filled.rfind('\n');
    const size_t whole = atEnd ? filled.size() : (lastNewline == std::string_view::npos ? 0 : lastNewline + 1);
    const std::string_view lines = filled.substr(0, whole);
    for (size_t at = lines.find(kWord); at != std::string_view::npos;) {
      const size_t newline = lines.rfind('\n', at);
      const size_t lineStart = newline == std::string_view::npos ? 0 : newline + 1;
      const size_t lineEnd = std::min(lines.find('\n', at), lines.size());
      if (lineStart > 0 || bufferStartsLine) ObjLine(lines.substr(lineStart, lineEnd - lineStart), found);
      at = lineEnd >= lines.size() ? std::string_view::npos : lines.find(kWord, lineEnd);
    }
    if (atEnd) break;
    bufferStartsLine = bufferStartsLine || whole > 0;
    kept = filled.size() - whole;
    if (kept > kBlock) {
      // A line longer than a block is geometry, not a library: its start is let go of.
      kept = 0;
      bufferStartsLine = false;
    } else {
      std::memmove(buffer.get(), buffer.get() + whole, kept);
    }
  }
  return found;
}

NamedFiles MtlMapsOfText(std::string_view text) {
  NamedFiles found;
  ForEachLine(text, [&](std::string_view line, int64_t number) {
    const auto [keyword, rest] = Keyword(line);
    const auto known = std::find_if(kMapKeywords.begin(), kMapKeywords.end(),
                                    [&](std::string_view k) { return EqualsIgnoringCase(k, keyword); });
    if (known == kMapKeywords.end()) return;
    const std::string_view name = MapFileName(rest);
    if (!name.empty()) found.files.push_back({std::string(name), std::string(*known), number});
  });
  return found;
}

Result<NamedFiles> GltfFilesOfText(std::string_view json) {
  NamedFiles found;
  JsonCursor cursor(json, 64);
  std::string_view key;
  const auto fault = [&]() -> Result<NamedFiles> {
    return IllegalArgumentError("not glTF: " + JsonCursor::LineAndColumn(json, cursor.Offset()) + ": " +
                                (cursor.Failed() ? cursor.Problem() : "an object was expected"));
  };
  if (!cursor.BeginObject()) return fault();
  while (cursor.NextMember(key)) {
    const char* kind = key == "images" ? "images" : key == "buffers" ? "buffers" : nullptr;
    if (!kind || cursor.Peek() != JsonKind::Array) {
      if (!cursor.Skip()) return fault();
      continue;
    }
    cursor.BeginArray();
    for (int64_t index = 0; cursor.NextItem(); ++index) {
      if (cursor.Peek() != JsonKind::Object) {
        if (!cursor.Skip()) return fault();
        continue;
      }
      cursor.BeginObject();
      std::string_view member;
      while (cursor.NextMember(member)) {
        std::string_view uri;
        if (member == "uri" && cursor.Peek() == JsonKind::String && cursor.ReadString(uri)) {
          AddUri(uri, kind, index, found);
        } else if (!cursor.Skip()) {
          return fault();
        }
      }
    }
  }
  if (cursor.Failed() || !cursor.AtEnd()) return fault();
  return found;
}

Result<NamedFiles> GlbFilesOfBytes(std::string_view bytes) {
  const auto word = [&](size_t at) {
    uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;  // little-endian, as the format and this machine are
  };
  if (bytes.size() < 20 || bytes.substr(0, 4) != "glTF")
    return IllegalArgumentError("not a binary glTF: no glTF header");
  if (word(4) != 2) return IllegalArgumentError("binary glTF version " + std::to_string(word(4)) + " is not 2");
  const uint32_t chunkLength = word(12);
  if (word(16) != 0x4E4F534Au) return IllegalArgumentError("binary glTF: the first chunk is not JSON");
  if (chunkLength > bytes.size() - 20)
    return IllegalArgumentError("binary glTF: the JSON chunk runs past the file's end");
  return GltfFilesOfText(bytes.substr(20, chunkLength));
}

Result<NamedFiles> ReadNamedFiles(const std::string& path) {
  switch (NestingFormatOf(path)) {
    case NestingFormat::Obj: return ReadObjLibraries(path);
    case NestingFormat::None: return NamedFiles();
    default: break;
  }
  auto text = ReadWhole(path);
  if (!text) return text.GetError();
  switch (NestingFormatOf(path)) {
    case NestingFormat::Mtl: return MtlMapsOfText(*text);
    case NestingFormat::Gltf: return GltfFilesOfText(*text);
    default: return GlbFilesOfBytes(*text);
  }
}

std::string PercentDecoded(std::string_view uri) {
  const auto hex = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string text;
  text.reserve(uri.size());
  for (size_t at = 0; at < uri.size(); ++at) {
    if (uri[at] == '%' && at + 2 < uri.size() && hex(uri[at + 1]) >= 0 && hex(uri[at + 2]) >= 0) {
      text.push_back(char(hex(uri[at + 1]) * 16 + hex(uri[at + 2])));
      at += 2;
    } else {
      text.push_back(uri[at]);
    }
  }
  return text;
}

}  // namespace brantic
