#include "bx3/filename.h"

namespace bx3 {

namespace {

size_t FileStart(std::string_view text) {
  const size_t slash = text.rfind('/');
  return slash == std::string_view::npos ? 0 : slash + 1;
}

// Position of the suffix dot inside the file part, or npos.
size_t SuffixDot(std::string_view text) {
  const size_t start = FileStart(text);
  const size_t dot = text.rfind('.');
  if (dot == std::string_view::npos || dot <= start) return std::string_view::npos;
  return dot;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string_view Filename::GetFileView() const {
  const std::string_view text = View();
  return text.substr(FileStart(text));
}

Filename Filename::GetFile() const {
  const std::string_view text = View();
  return Filename(text.substr(FileStart(text)));
}

Filename Filename::GetDirectory() const {
  const std::string_view text = View();
  const size_t slash = text.rfind('/');
  if (slash == std::string_view::npos) return Filename();
  if (slash == 0) return Filename("/");
  return Filename(text.substr(0, slash));
}

brantic::String Filename::GetSuffix() const {
  const std::string_view text = View();
  const size_t dot = SuffixDot(text);
  return dot == std::string_view::npos ? brantic::String() : brantic::String(text.substr(dot + 1));
}

std::string_view Filename::GetSuffixView() const {
  const std::string_view text = View();
  const size_t dot = SuffixDot(text);
  return dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
}

bool Filename::CheckSuffix(std::string_view suffix) const {
  const std::string_view text = View();
  const size_t dot = SuffixDot(text);
  if (dot == std::string_view::npos) return suffix.empty();
  const std::string_view own = text.substr(dot + 1);
  if (own.size() != suffix.size()) return false;
  for (size_t i = 0; i < own.size(); ++i) {
    if (Lower(own[i]) != Lower(suffix[i])) return false;
  }
  return true;
}

Filename Filename::WithoutSuffix() const {
  const std::string_view text = View();
  const size_t dot = SuffixDot(text);
  return dot == std::string_view::npos ? *this : Filename(text.substr(0, dot));
}

Filename Filename::operator+(const Filename& part) const {
  if (!IsPopulated()) return part;
  if (!part.IsPopulated()) return *this;
  if (part.IsAbsolute()) return part;
  std::string joined(View());
  if (joined.back() != '/') joined += '/';
  joined.append(part.View());
  return Filename(brantic::String(std::move(joined)));
}

}  // namespace bx3
