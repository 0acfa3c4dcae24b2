// The files a file names inside it, read without anything else it holds: the material
// libraries of an OBJ, the texture maps of an MTL, the images and buffers of a glTF. Only
// paths are read, never geometry; a damaged file is refused with what is wrong and where.
// Any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "brantic/result.h"

namespace brantic {

// One file named inside another, as written there (glTF URIs percent-decoded).
struct NamedFile {
  std::string path;
  std::string role;  // "mtllib", "map_Kd", "images/0", "buffers/1"
  int64_t line = 0;  // the line it is written on (MTL); 0 where lines are not counted
  bool operator==(const NamedFile&) const = default;
};

struct NamedFiles {
  std::vector<NamedFile> files;
  int64_t embedded = 0;  // data held inside the file itself (glTF "data:" URIs): no file to list
};

// The kinds of file that name others, by the name's suffix (case aside).
enum class NestingFormat : uint8_t { None, Obj, Mtl, Gltf, Glb };
NestingFormat NestingFormatOf(std::string_view path);

// The "mtllib" lines of an OBJ, read as a stream (an OBJ may be gigabytes of geometry).
Result<NamedFiles> ReadObjLibraries(const std::string& path);
// The same from text in memory.
NamedFiles ObjLibrariesOfText(std::string_view text);
// The texture maps of an MTL ("map_Kd -bm 1.0 bump.png": options before the name are passed over).
NamedFiles MtlMapsOfText(std::string_view text);
// The images' and buffers' URIs of a glTF's JSON; "data:" URIs are counted as embedded,
// URIs of other schemes than files are left out.
Result<NamedFiles> GltfFilesOfText(std::string_view json);
// The same through a binary glTF's JSON chunk.
Result<NamedFiles> GlbFilesOfBytes(std::string_view bytes);
// Whatever the name says the file is; MTL and glTF files are read whole (up to 256 MB).
Result<NamedFiles> ReadNamedFiles(const std::string& path);

// "%20" and the like put back; a malformed escape stays as written.
std::string PercentDecoded(std::string_view uri);

}  // namespace brantic
