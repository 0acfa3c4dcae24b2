// The walk over the files a document uses: every use, in the host's stable order, with the
// elements it belongs to. What is done with each use is the visitor's: the collection makes
// rows of them, and path operations can walk the same way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "brantic/nodes.h"
#include "bx3/assets.h"
#include "bx3/document.h"

namespace kv {

// One use of one file.
struct KvUse {
  bx3::Element* owner = nullptr;      // the element that uses the file; the document for its own
  bx3::Element* ownerMain = nullptr;  // the element the use is shown under
  const bx3::Filename* file = nullptr;
  int32_t parameterId = -1;  // the material channel a shader feeds; -1 otherwise
  bx3::DescId hostDescId;    // the parameter that holds the file
  bool hostFlag = false;     // the element writes this file
  const brantic::NodePath* nodePath = nullptr;
  const brantic::Id* nodeSpace = nullptr;
  bx3::Take* take = nullptr;  // the take that sets the file, for take overrides
};

class KvUseVisitor {
 public:
  virtual ~KvUseVisitor() = default;
  // Before the first use: how many uses follow.
  virtual void Begin(size_t /*uses*/) {}
  virtual void Visit(bx3::Document& document, const KvUse& use) = 0;
};

// The walk of a scene's file uses. GUI thread.
class KvSceneWalk {
 public:
  // Hands every file use of `document` to `visitor`, in order; the number of uses. The scene
  // is walked twice, once to count and once to visit, so that no list of all uses is held.
  size_t Run(bx3::Document& document, KvUseVisitor& visitor);
};

// One use inside a file the scene refers to: a scene it references, an OBJ's material
// library, an MTL's maps, a glTF's images and buffers.
struct KvNestedUse {
  std::string written;  // as the file writes it
  std::string path;     // anchored at the file's folder when relative (Windows-style too)
};

// What a file names inside it, or why it could not be read.
struct KvNestedRead {
  std::vector<KvNestedUse> uses;
  std::string problem;
};

// The walk into files that name other files: each file is read once for as long as the
// walk lives (one collection), however often it is referred to. Read-only. GUI thread (a
// referenced scene is loaded through the host).
class KvNestedWalk {
 public:
  // True when a file of this name may name others.
  static bool MayNameFiles(std::string_view path);
  // The uses inside `file` (a path of this machine).
  const KvNestedRead& UsesIn(const std::string& file);
  // How many files were read.
  size_t FilesRead() const { return read_.size(); }

 private:
  std::unordered_map<std::string, KvNestedRead> read_;
};

// `written`, as a file in `folder` writes it, as a path of its own: relative paths (".\a.jpg"
// and "..\tex\b.png" too) below the folder; absolute ones, variables and other systems'
// roots as written, for the resolution to expand and map. "." and ".." are taken out.
std::string AnchoredPath(std::string_view written, std::string_view folder);

}  // namespace kv
