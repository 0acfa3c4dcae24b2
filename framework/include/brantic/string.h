// Shared immutable strings. Any thread (values are immutable; copies share the text).
#pragma once

#include <atomic>
#include <compare>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "brantic/result.h"

namespace brantic {

class String {
 public:
  static constexpr int64_t kNotFound = -1;

  String() = default;
  String(const char* text) : String(std::string_view(text ? text : "")) {}
  String(std::string_view text) : block_(text.empty() ? nullptr : new Block(std::string(text))) {}
  String(std::string&& text) : block_(text.empty() ? nullptr : new Block(std::move(text))) {}
  String(const std::string& text) : String(std::string_view(text)) {}
  String(const String& other) noexcept : block_(other.block_) { Retain(); }
  String(String&& other) noexcept : block_(other.block_) { other.block_ = nullptr; }
  String& operator=(const String& other) noexcept {
    String(other).Swap(*this);
    return *this;
  }
  String& operator=(String&& other) noexcept {
    String(std::move(other)).Swap(*this);
    return *this;
  }
  ~String() { Release(); }

  bool IsEmpty() const { return !block_; }
  int64_t Length() const { return block_ ? static_cast<int64_t>(block_->text.size()) : 0; }
  std::string_view View() const { return block_ ? std::string_view(block_->text) : std::string_view(); }
  const std::string& Std() const;
  const char* CStr() const { return Std().c_str(); }
  operator std::string_view() const { return View(); }

  // Byte-wise comparison: negative, 0 or positive, like strcmp.
  int Compare(const String& other) const { return View().compare(other.View()); }
  bool operator==(const String& other) const { return View() == other.View(); }
  bool operator==(std::string_view other) const { return View() == other; }
  bool operator==(const std::string& other) const { return View() == std::string_view(other); }
  bool operator==(const char* other) const { return View() == std::string_view(other ? other : ""); }
  std::strong_ordering operator<=>(const String& other) const { return View() <=> other.View(); }

  // Position of `what` at or after `start`, or kNotFound.
  int64_t Find(std::string_view what, int64_t start = 0) const;
  int64_t FindLast(std::string_view what) const;
  bool Contains(std::string_view what) const { return Find(what) != kNotFound; }
  // Up to `count` bytes from `start` (clamped to the text).
  String Substring(int64_t start, int64_t count = INT64_MAX) const;
  // Every occurrence of `what` replaced by `with`; an empty `what` changes nothing.
  String Replace(std::string_view what, std::string_view with) const;
  Result<int64_t> ToInt64() const;
  String ToLower() const;

  // `value` in decimal, padded with zeros to at least `digits` digits ("-007" for -7, 3).
  static String FromInt(int64_t value, int32_t digits = 0);

 private:
  // The text and how many strings share it: one allocation per text, and a string is one
  // pointer (scenes and inspector rows hold hundreds of thousands of them).
  struct Block {
    explicit Block(std::string&& value) : text(std::move(value)) {}
    mutable std::atomic<size_t> references{1};
    const std::string text;
  };
  void Retain() const noexcept {
    if (block_) block_->references.fetch_add(1, std::memory_order_relaxed);
  }
  void Release() noexcept {
    if (block_ && block_->references.fetch_sub(1, std::memory_order_acq_rel) == 1) delete block_;
  }
  void Swap(String& other) noexcept { std::swap(block_, other.block_); }

  const Block* block_ = nullptr;
};

inline std::string operator+(const std::string& a, const String& b) { return a + std::string(b.View()); }

struct StringHash {
  size_t operator()(const String& s) const { return std::hash<std::string_view>()(s.View()); }
};

// A size in bytes as text: "0 B", "512 B", "1.5 KB", "12.3 MB" (units of 1000, as file
// managers show them). With `binary`, units of 1024 ("KiB", "MiB", ...).
String MemorySizeToText(int64_t bytes, bool binary);

}  // namespace brantic
