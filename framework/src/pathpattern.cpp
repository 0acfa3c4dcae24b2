#include "brantic/pathpattern.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace brantic {

namespace {

constexpr int kMaxDigits = 18;  // what an int64_t holds with room

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool StartsWithIgnoringCase(std::string_view text, size_t at, std::string_view word) {
  if (text.size() - at < word.size()) return false;
  for (size_t i = 0; i < word.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(text[at + i])) != word[i]) return false;
  }
  return true;
}

// A run of digits as a number, or nothing when it is empty, too long or has no digits only.
std::optional<int64_t> Number(std::string_view digits) {
  if (digits.empty() || digits.size() > kMaxDigits) return std::nullopt;
  int64_t value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return value;
}

// Digits written without leading zeros ("0" alone is fine).
bool IsCanonical(std::string_view digits) { return digits.size() == 1 || digits.front() != '0'; }

}  // namespace

std::optional<PathPattern> PathPattern::Find(std::string_view path) {
  // Most paths have no token: they are passed over without a copy, after one look at the
  // characters of their file part.
  bool mayHoldToken = false;
  for (size_t at = path.size(); at-- > 0 && !mayHoldToken;) {
    const char c = path[at];
    if (c == '/' || c == '\\') break;
    mayHoldToken = c == '<' || c == '#' || c == '%' || c == '$';
  }
  if (!mayHoldToken) return std::nullopt;
  PathPattern pattern;
  pattern.path_ = std::string(path);
  const size_t slash = path.find_last_of("/\\");
  pattern.fileStart_ = slash == std::string_view::npos ? 0 : slash + 1;
  const auto found = [&](size_t at, size_t length, Token token, int padding) {
    pattern.tokenStart_ = at;
    pattern.tokenLength_ = length;
    pattern.token_ = token;
    pattern.padding_ = padding;
    return std::optional<PathPattern>(std::move(pattern));
  };
  for (size_t at = pattern.fileStart_; at < path.size(); ++at) {
    const char c = path[at];
    if (c == '<') {
      if (StartsWithIgnoringCase(path, at, "<UDIM>")) return found(at, 6, Token::Udim, 0);
      if (StartsWithIgnoringCase(path, at, "<UVTILE>")) return found(at, 8, Token::UvTile, 0);
    } else if (c == '#') {
      size_t end = at;
      while (end < path.size() && path[end] == '#') ++end;
      // Wider than any frame number can be written: no token, literal text.
      if (end - at > kMaxDigits) return std::nullopt;
      return found(at, end - at, Token::Hashes, int(end - at));
    } else if (c == '%') {
      if (at + 1 < path.size() && path[at + 1] == 'd') return found(at, 2, Token::Printf, 0);
      // "%0Nd", N of one or two digits.
      size_t end = at + 1;
      if (end < path.size() && path[end] == '0') {
        ++end;
        while (end < path.size() && IsDigit(path[end]) && end - at < 4) ++end;
        if (end > at + 2 && end < path.size() && path[end] == 'd') {
          const int padding = int(*Number(path.substr(at + 2, end - at - 2)));
          if (padding > 0 && padding <= kMaxDigits) return found(at, end - at + 1, Token::Printf, padding);
        }
      }
    } else if (c == '$' && at + 1 < path.size() && path[at + 1] == 'F') {
      // "$F" or "$F" and one digit; "$FOO" is a variable, not a frame.
      const char next = at + 2 < path.size() ? path[at + 2] : '\0';
      if (IsDigit(next) && next != '0') {
        const char after = at + 3 < path.size() ? path[at + 3] : '\0';
        if (!std::isalnum(static_cast<unsigned char>(after)) && after != '_') {
          return found(at, 3, Token::Dollar, next - '0');
        }
      } else if (!std::isalnum(static_cast<unsigned char>(next)) && next != '_') {
        return found(at, 2, Token::Dollar, 0);
      }
    }
  }
  return std::nullopt;
}

std::string_view PathPattern::Folder() const { return std::string_view(path_).substr(0, fileStart_); }

std::string_view PathPattern::FileName() const { return std::string_view(path_).substr(fileStart_); }

std::string_view PathPattern::FileHead() const {
  return std::string_view(path_).substr(fileStart_, tokenStart_ - fileStart_);
}

std::string PathPattern::PathOf(int64_t item) const {
  std::string text;
  if (GetKind() == Kind::Tiles) {
    if (token_ == Token::Udim) {
      text = std::to_string(item);
    } else {
      const auto [u, v] = TileOfUdim(item);
      text = "u" + std::to_string(u + 1) + "_v" + std::to_string(v + 1);
    }
  } else {
    std::string digits = std::to_string(item < 0 ? -item : item);
    if (int(digits.size()) < padding_) digits.insert(0, size_t(padding_) - digits.size(), '0');
    text = (item < 0 ? "-" : "") + digits;
  }
  return path_.substr(0, tokenStart_) + text + path_.substr(tokenStart_ + tokenLength_);
}

std::optional<int64_t> PathPattern::Match(std::string_view fileName) const {
  const std::string_view head = std::string_view(path_).substr(fileStart_, tokenStart_ - fileStart_);
  const std::string_view tail = std::string_view(path_).substr(tokenStart_ + tokenLength_);
  if (fileName.size() < head.size() + tail.size() + 1 || !fileName.starts_with(head) || !fileName.ends_with(tail)) {
    return std::nullopt;
  }
  std::string_view middle = fileName.substr(head.size(), fileName.size() - head.size() - tail.size());
  switch (token_) {
    case Token::Udim: {
      if (middle.size() != 4) return std::nullopt;
      const auto udim = Number(middle);
      if (!udim || *udim < 1001) return std::nullopt;
      return udim;
    }
    case Token::UvTile: {
      // "u<U>_v<V>", both from 1, U at most 10.
      const size_t separator = middle.find("_v");
      if (middle.size() < 5 || middle.front() != 'u' || separator == std::string_view::npos) return std::nullopt;
      const std::string_view uText = middle.substr(1, separator - 1);
      const std::string_view vText = middle.substr(separator + 2);
      const auto u = Number(uText);
      const auto v = Number(vText);
      if (!u || !v || !IsCanonical(uText) || !IsCanonical(vText) || *u < 1 || *v < 1) return std::nullopt;
      return UdimOfTile(*u - 1, *v - 1);
    }
    default: {
      const bool negative = middle.starts_with('-');
      if (negative) middle.remove_prefix(1);
      const auto frame = Number(middle);
      if (!frame) return std::nullopt;
      // Exactly as the frame would be written: padded to the padding, never more zeros.
      if (int(middle.size()) < padding_) return std::nullopt;
      if (int(middle.size()) > std::max(padding_, 1) && middle.front() == '0') return std::nullopt;
      return negative ? -*frame : *frame;
    }
  }
}

std::optional<std::string> PathPattern::CarryInto(std::string_view path) const {
  const size_t slash = path.find_last_of("/\\");
  const size_t fileStart = slash == std::string_view::npos ? 0 : slash + 1;
  const std::string_view token = std::string_view(path_).substr(tokenStart_, tokenLength_);
  // The last run of digits in the file name, and for "<UVTILE>" the "u.._v.." around it.
  size_t end = path.size();
  while (end > fileStart && !IsDigit(path[end - 1])) --end;
  if (end == fileStart) return std::nullopt;
  size_t start = end;
  while (start > fileStart && IsDigit(path[start - 1])) --start;
  if (token_ == Token::UvTile) {
    const size_t u = path.rfind('u', start);
    if (u == std::string_view::npos || u < fileStart ||
        path.substr(u, start - u).find("_v") == std::string_view::npos) {
      return std::nullopt;
    }
    start = u;
  } else if (token_ == Token::Udim && end - start != 4) {
    return std::nullopt;
  }
  return std::string(path.substr(0, start)) + std::string(token) + std::string(path.substr(end));
}

std::optional<int64_t> UdimOfTile(int64_t u, int64_t v) {
  if (u < 0 || u > 9 || v < 0) return std::nullopt;
  const int64_t udim = 1001 + u + 10 * v;
  if (udim > 9999) return std::nullopt;
  return udim;
}

std::pair<int64_t, int64_t> TileOfUdim(int64_t udim) { return {(udim - 1001) % 10, (udim - 1001) / 10}; }

std::string FormatItemRuns(std::vector<int64_t> items) {
  std::sort(items.begin(), items.end());
  items.erase(std::unique(items.begin(), items.end()), items.end());
  std::string text;
  for (size_t i = 0; i < items.size();) {
    size_t end = i;
    while (end + 1 < items.size() && items[end + 1] == items[end] + 1) ++end;
    if (!text.empty()) text += ", ";
    text += std::to_string(items[i]);
    if (end > i) text += "-" + std::to_string(items[end]);
    i = end + 1;
  }
  return text;
}

}  // namespace brantic
