// A container of values keyed by 32-bit ids: preferences, message data and layouts.
// Not thread-safe; a container belongs to one thread at a time.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <variant>

#include "brantic/string.h"

namespace bx3 {

// Four-character codes as 32-bit big-endian numbers: FourCC("Mci1").
constexpr int32_t FourCC(const char (&code)[5]) {
  return static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint8_t>(code[0])) << 24) |
                              (static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 16) |
                              (static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 8) |
                              static_cast<uint32_t>(static_cast<uint8_t>(code[3])));
}

class Container {
 public:
  using Value = std::variant<bool, int32_t, int64_t, double, brantic::String, std::shared_ptr<Container>>;

  explicit Container(int32_t id = 0) : id_(id) {}
  Container(const Container& other);
  Container& operator=(const Container& other);
  Container(Container&&) = default;
  Container& operator=(Container&&) = default;

  int32_t GetId() const { return id_; }
  void SetId(int32_t id) { id_ = id; }

  bool Contains(int32_t key) const { return values_.count(key) != 0; }
  bool GetBool(int32_t key, bool fallback = false) const;
  int32_t GetInt32(int32_t key, int32_t fallback = 0) const;
  int64_t GetInt64(int32_t key, int64_t fallback = 0) const;
  double GetFloat(int32_t key, double fallback = 0.0) const;
  brantic::String GetString(int32_t key, brantic::String fallback = {}) const;
  // The sub-container under `key`, or null when the key is missing or of another type.
  const Container* GetContainer(int32_t key) const;
  Container* GetContainer(int32_t key);

  void SetBool(int32_t key, bool value) { values_[key] = value; }
  void SetInt32(int32_t key, int32_t value) { values_[key] = value; }
  void SetInt64(int32_t key, int64_t value) { values_[key] = value; }
  void SetFloat(int32_t key, double value) { values_[key] = value; }
  void SetString(int32_t key, brantic::String value) { values_[key] = std::move(value); }
  void SetContainer(int32_t key, Container value);
  bool Remove(int32_t key) { return values_.erase(key) != 0; }
  void Clear() { values_.clear(); }

  const std::map<int32_t, Value>& Values() const { return values_; }
  bool operator==(const Container& other) const;

 private:
  int32_t id_;
  std::map<int32_t, Value> values_;
};

}  // namespace bx3
