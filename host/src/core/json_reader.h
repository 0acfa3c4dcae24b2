// Reading JSON values in order, naming each fault by where it is: faults of the text by line
// and column, values of the wrong kind or range by their JSON pointer.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "brantic/json_cursor.h"

namespace bx3 {

// The text is not JSON: a problem at a byte of it.
struct JsonTextError {
  size_t offset;
  std::string problem;
};

// The JSON is not what is expected: a problem of the value at a JSON pointer.
struct JsonValueError {
  std::string position;
  std::string problem;
};

// Throws the two errors above; whoever reads with it catches them before they leave the file.
class JsonReader {
 public:
  explicit JsonReader(std::string_view text, int maxDepth = brantic::JsonCursor::kDefaultMaxDepth)
      : json_(text, maxDepth) {}

  // Names the member or item being read for the errors raised while it is read.
  class At {
   public:
    At(JsonReader& cursor, std::string_view step) : cursor_(cursor), size_(cursor.where_.size()) {
      cursor.where_ += '/';
      cursor.where_ += step;
    }
    At(JsonReader& cursor, size_t index) : At(cursor, std::to_string(index)) {}
    ~At() { cursor_.where_.resize(size_); }
    At(const At&) = delete;
    At& operator=(const At&) = delete;

   private:
    JsonReader& cursor_;
    size_t size_;
  };

  const std::string& Where() const { return where_; }

  [[noreturn]] static void Fail(std::string position, std::string problem) {
    throw JsonValueError{std::move(position), std::move(problem)};
  }
  void Expect(bool condition, const char* problem) const {
    if (!condition) Fail(where_, problem);
  }
  void Expect(bool condition, const std::string& problem) const {
    if (!condition) Fail(where_, problem);
  }

  brantic::JsonKind Peek() {
    const brantic::JsonKind kind = json_.Peek();
    CheckText();
    return kind;
  }

  // Reads the members of an object, calling on(key) for each that is not null (null stands for
  // a value left out). `on` compares the key before reading the member's value, since reading a
  // text may end the key's view, and reads exactly one value.
  template <typename OnMember>
  void Members(const char* notAnObject, OnMember on) {
    Expect(Peek() == brantic::JsonKind::Object, notAnObject);
    json_.BeginObject();
    CheckText();
    std::string_view key;
    while (json_.NextMember(key)) {
      if (Peek() == brantic::JsonKind::Null) {
        json_.ReadNull();
        continue;
      }
      At at(*this, key);
      on(key);
    }
    CheckText();
  }

  // Reads the items of an array, calling on(index) for each.
  template <typename OnItem>
  void Items(const char* notAnArray, OnItem on) {
    Expect(Peek() == brantic::JsonKind::Array, notAnArray);
    json_.BeginArray();
    CheckText();
    for (size_t index = 0; json_.NextItem(); ++index) {
      CheckText();
      At at(*this, index);
      on(index);
    }
    CheckText();
  }

  // Reads an object of exactly one member: on(key) reads its value.
  template <typename OnMember>
  void OneMember(const char* problem, OnMember on) {
    Expect(Peek() == brantic::JsonKind::Object, problem);
    json_.BeginObject();
    CheckText();
    std::string_view key;
    Expect(json_.NextMember(key), problem);
    CheckText();
    {
      At at(*this, key);
      on(key);
    }
    Expect(!json_.NextMember(key), problem);
    CheckText();
  }

  std::string_view Text(const char* problem) {
    Expect(Peek() == brantic::JsonKind::String, problem);
    std::string_view text;
    json_.ReadString(text);
    CheckText();
    return text;
  }

  double Number(const char* problem) {
    Expect(Peek() == brantic::JsonKind::Number, problem);
    brantic::JsonNumber number;
    json_.ReadNumber(number);
    CheckText();
    return number.value;
  }

  int64_t Integer(const char* problem, int64_t min = std::numeric_limits<int64_t>::min(),
                  int64_t max = std::numeric_limits<int64_t>::max()) {
    Expect(Peek() == brantic::JsonKind::Number, problem);
    brantic::JsonNumber number;
    json_.ReadNumber(number);
    CheckText();
    Expect(number.isInteger && number.integer >= min && number.integer <= max, problem);
    return number.integer;
  }

  bool Bool(const char* problem) {
    Expect(Peek() == brantic::JsonKind::Bool, problem);
    bool value = false;
    json_.ReadBool(value);
    CheckText();
    return value;
  }

  // True (and the null read) when the next value is null.
  bool Null() {
    if (Peek() != brantic::JsonKind::Null) return false;
    json_.ReadNull();
    return true;
  }

  void Skip() {
    json_.Skip();
    CheckText();
  }

  // The whole text was read: nothing but white space may follow.
  void ExpectEnd(const char* problem) {
    if (!json_.AtEnd()) {
      CheckText();
      throw JsonTextError{json_.Offset(), problem};
    }
  }

 private:
  void CheckText() const {
    if (json_.Failed()) throw JsonTextError{json_.Offset(), json_.Problem()};
  }

  brantic::JsonCursor json_;
  std::string where_;
};

}  // namespace bx3
