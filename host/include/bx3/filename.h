// Host file names. Any thread (values are immutable).
//
// A Filename is the text of a path as the scene stores it: absolute, relative to the
// document, or a bare file name. Suffix tests ignore letter case ("PNG" matches "png");
// equality follows the file system, which on this platform tells letter case apart.
#pragma once

#include <string_view>

#include "brantic/string.h"
#include "brantic/url.h"

namespace bx3 {

class Filename {
 public:
  Filename() = default;
  Filename(const char* text) : text_(text) {}
  Filename(std::string_view text) : text_(text) {}
  Filename(const std::string& text) : text_(text) {}
  Filename(brantic::String text) : text_(std::move(text)) {}
  static Filename FromUrl(const brantic::Url& url) { return Filename(url.GetPath()); }

  const brantic::String& GetString() const { return text_; }
  std::string_view View() const { return text_.View(); }
  bool IsPopulated() const { return !text_.IsEmpty(); }
  bool IsAbsolute() const { return !text_.IsEmpty() && text_.View().front() == '/'; }

  // The last path part: "b.png" of "a/b.png".
  Filename GetFile() const;
  // The file part as a view into this name (no copy).
  std::string_view GetFileView() const;
  // Everything before the last separator: "a" of "a/b.png", empty for "b.png".
  Filename GetDirectory() const;
  // The suffix without its dot ("png"); empty when the file part has none. A leading dot
  // (".profile") is not a suffix.
  brantic::String GetSuffix() const;
  // The suffix as a view into this name (no copy); empty without one.
  std::string_view GetSuffixView() const;
  // True when the suffix equals `suffix`, ignoring letter case.
  bool CheckSuffix(std::string_view suffix) const;
  // The name without its suffix and dot.
  Filename WithoutSuffix() const;
  void ClearSuffix() { *this = WithoutSuffix(); }

  // `this` joined with `part` by one separator; an absolute `part` stands alone.
  Filename operator+(const Filename& part) const;

  // Same path text, byte for byte (the file system distinguishes letter case).
  bool IsEqual(const Filename& other) const { return text_ == other.text_; }
  bool operator==(const Filename& other) const { return IsEqual(other); }

  brantic::Url GetUrl() const { return brantic::Url::FromSharedSystemPath(text_); }

 private:
  brantic::String text_;
};

struct FilenameHash {
  size_t operator()(const Filename& f) const { return std::hash<std::string_view>()(f.View()); }
};

}  // namespace bx3
