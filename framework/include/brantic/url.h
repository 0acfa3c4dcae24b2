// URLs of the framework. Any thread (values are immutable).
//
// Two schemes: "file" for absolute file-system paths and "relative" for paths relative to a
// folder that is not known yet (a document's folder, a search folder). A URL is made from a
// host file name with FromSystemPath: absolute paths become "file", everything else
// "relative"; the empty text is the empty URL.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "brantic/result.h"
#include "brantic/string.h"

namespace brantic {

inline constexpr std::string_view kUrlSchemeFile = "file";
inline constexpr std::string_view kUrlSchemeRelative = "relative";

// Flags for Url::Normalize.
enum NormalizeFlags : uint32_t {
  kNormalizeNone = 0,
  // Collapse "." and ".." segments and repeated separators.
  kNormalizeResolveDots = 0x10,
};

class Url {
 public:
  Url() = default;
  static Url FromSystemPath(std::string_view path);
  // The same, sharing `path`'s text where it needs no tidying (most paths).
  static Url FromSharedSystemPath(const String& path);
  // Parses "file:///abs/path", "relative:some/path" or a plain system path.
  static Url FromString(std::string_view text);

  bool IsEmpty() const { return path_.IsEmpty(); }
  // "file", "relative" or empty for the empty URL.
  String GetScheme() const;
  bool IsRelative() const { return scheme_ == Scheme::Relative; }
  // The path without scheme, with "/" separators.
  const String& GetPath() const { return path_; }
  // The last path segment ("b.png" of "/a/b.png"); empty for "/", for a path ending in a
  // separator and for the empty URL.
  String GetName() const;
  // The URL of the containing folder; empty when there is none.
  Url GetDirectory() const;
  // The path as the operating system writes it (the host's file name text).
  std::string GetSystemPath() const { return path_.Std(); }
  std::string ToString() const;

  // This URL with a relative URL appended below it. Fails for the empty URL and when
  // `relative` is not of the relative scheme.
  Result<Url> Append(const Url& relative) const;
  // This URL with `segment` appended as the last path part, taken as text.
  Result<Url> Append(std::string_view segment) const;
  // Append(relative) and then Normalize(kNormalizeResolveDots), with one copy of the text.
  Result<Url> AppendResolved(const Url& relative) const;
  // This URL relative to the folder `base`: "/d/tex/a.png" relative to "/d" is
  // "relative:tex/a.png". Fails unless this URL lies inside `base` (both of the file scheme).
  Result<Url> GetRelativeUrl(const Url& base) const;
  // Normalised through the scheme's I/O handler.
  Result<Url> Normalize(uint32_t flags) const;

  bool operator==(const Url& other) const = default;

 private:
  enum class Scheme : uint8_t { None, File, Relative };
  Url(Scheme scheme, String path) : scheme_(scheme), path_(std::move(path)) {}
  friend class FileIoHandler;
  friend class RelativeIoHandler;

  Scheme scheme_ = Scheme::None;
  String path_;
};

// Collapses "." and ".." segments and repeated separators of a "/" path. Leading ".." of a
// relative path are kept; ".." above the root of an absolute path stay at the root. A
// trailing separator is kept.
std::string NormalizePathText(std::string_view path);

}  // namespace brantic
