#include "brantic/url.h"

#include <algorithm>
#include <cstring>

#include "brantic/io.h"

namespace brantic {

namespace {

// "a//b" -> "a/b". A trailing separator stays: "a/b/" names a folder, never a file.
String TidySeparators(std::string_view path) {
  if (path.find("//") == std::string_view::npos) return String(path);  // most paths
  std::string out;
  out.reserve(path.size());
  for (char c : path) {
    if (c == '/' && !out.empty() && out.back() == '/') continue;
    out += c;
  }
  return String(std::move(out));
}

}  // namespace

std::string NormalizePathText(std::string_view path) {
  // One pass straight into the result: a ".." takes back the segment written last, or stays
  // at the front of a relative path (there is nothing above the root). The result is never
  // longer than the path, so it is written in place and cut to length at the end.
  const bool absolute = !path.empty() && path.front() == '/';
  std::string out(path.size() + 1, '\0');
  char* const first = out.data() + (absolute ? 1 : 0);  // where the segments begin
  char* at = first;
  if (absolute) out[0] = '/';
  size_t kept = 0;  // segments written
  size_t ups = 0;   // of them, the ".." at the front
  for (const char *next = path.data(), *const end = next + path.size(); next < end;) {
    const char* const segment = next;
    while (next < end && *next != '/') ++next;
    const size_t length = size_t(next - segment);
    if (next < end) ++next;  // past the separator
    if (length == 0 || (length == 1 && segment[0] == '.')) continue;
    if (length == 2 && segment[0] == '.' && segment[1] == '.') {
      if (kept > ups) {
        while (at > first && at[-1] != '/') --at;
        if (at > first) --at;  // and the separator before it
        --kept;
        continue;
      }
      if (absolute) continue;
      ++ups;
    }
    if (kept > 0) *at++ = '/';
    std::memcpy(at, segment, length);
    at += length;
    ++kept;
  }
  out.resize(size_t(at - out.data()));
  if (out.empty() && !path.empty()) out = ".";
  // A trailing separator says "folder"; keep it.
  if (!path.empty() && path.back() == '/' && out.back() != '/') out += '/';
  return out;
}

Url Url::FromSystemPath(std::string_view path) {
  if (path.empty()) return Url();
  if (path.front() == '/') return Url(Scheme::File, TidySeparators(path));
  return Url(Scheme::Relative, TidySeparators(path));
}

Url Url::FromSharedSystemPath(const String& path) {
  const std::string_view text = path.View();
  if (text.empty() || text.find("//") != std::string_view::npos) return FromSystemPath(text);
  return Url(text.front() == '/' ? Scheme::File : Scheme::Relative, path);
}

Url Url::FromString(std::string_view text) {
  if (text.starts_with("file://")) return FromSystemPath(text.substr(7));
  if (text.starts_with("file:")) return FromSystemPath(text.substr(5));
  if (text.starts_with("relative:")) {
    std::string_view path = text.substr(9);
    while (!path.empty() && path.front() == '/') path.remove_prefix(1);
    return path.empty() ? Url() : Url(Scheme::Relative, TidySeparators(path));
  }
  return FromSystemPath(text);
}

String Url::GetScheme() const {
  switch (scheme_) {
    case Scheme::File: return String(kUrlSchemeFile);
    case Scheme::Relative: return String(kUrlSchemeRelative);
    case Scheme::None: break;
  }
  return String();
}

// The part after the last separator: empty for a path that ends in one.
String Url::GetName() const {
  const std::string_view path = path_.View();
  const size_t slash = path.rfind('/');
  return String(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

Url Url::GetDirectory() const {
  const std::string_view path = path_.View();
  const size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return Url();
  if (slash == 0) return path.size() > 1 ? Url(scheme_, String("/")) : Url();
  return Url(scheme_, String(path.substr(0, slash)));
}

std::string Url::ToString() const {
  switch (scheme_) {
    case Scheme::File: return "file://" + path_.Std();
    case Scheme::Relative: return "relative:" + path_.Std();
    case Scheme::None: break;
  }
  return std::string();
}

Result<Url> Url::Append(const Url& relative) const {
  if (IsEmpty()) return IllegalStateError("cannot append to the empty URL");
  if (relative.IsEmpty()) return *this;
  if (relative.scheme_ != Scheme::Relative) {
    return IllegalArgumentError("only a relative URL can be appended: " + relative.ToString());
  }
  return Append(relative.path_.View());
}

Result<Url> Url::Append(std::string_view segment) const {
  if (IsEmpty()) return IllegalStateError("cannot append to the empty URL");
  if (segment.empty()) return IllegalArgumentError("cannot append an empty name");
  while (!segment.empty() && segment.front() == '/') segment.remove_prefix(1);
  std::string path;
  path.reserve(path_.View().size() + 1 + segment.size());
  path = path_.View();
  if (path.back() != '/') path += '/';
  path.append(segment);
  return Url(scheme_, path.find("//") == std::string::npos ? String(std::move(path)) : String(TidySeparators(path)));
}

Result<Url> Url::AppendResolved(const Url& relative) const {
  if (IsEmpty()) return IllegalStateError("cannot append to the empty URL");
  if (relative.IsEmpty()) return Url(scheme_, String(NormalizePathText(path_.View())));
  if (relative.scheme_ != Scheme::Relative) {
    return IllegalArgumentError("only a relative URL can be appended: " + relative.ToString());
  }
  // Both schemes resolve dots as NormalizePathText does, which also folds doubled separators.
  std::string joined;
  joined.reserve(path_.View().size() + 1 + relative.path_.View().size());
  joined.append(path_.View()).append(1, '/').append(relative.path_.View());
  return Url(scheme_, String(NormalizePathText(joined)));
}

Result<Url> Url::GetRelativeUrl(const Url& base) const {
  if (scheme_ != Scheme::File || base.scheme_ != Scheme::File) {
    return IllegalArgumentError("a relative URL needs two file URLs");
  }
  const std::string path = NormalizePathText(path_.View());
  std::string folder = NormalizePathText(base.path_.View());
  if (folder.back() != '/') folder += '/';
  if (path.size() <= folder.size() || path.compare(0, folder.size(), folder) != 0) {
    return IllegalArgumentError(path + " is not inside " + folder);
  }
  return Url(Scheme::Relative, String(std::string_view(path).substr(folder.size())));
}

Result<Url> Url::Normalize(uint32_t flags) const {
  const IoHandler* handler = GetIoHandler(*this);
  if (!handler) return IllegalStateError("the empty URL has no scheme handler");
  return handler->Normalize(*this, flags);
}

}  // namespace brantic
