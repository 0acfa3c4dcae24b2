// Reading JSON text in place, one value at a time. Any thread; one cursor per thread.
//
// No tree is built: the caller asks for the value it expects next and keeps only what it
// needs. Texts without escapes are answered as views into the input. Nesting is counted, not
// recursed, so no input can exhaust the stack; skipping a value of any depth needs no
// recursion either.
//
// The first fault stops the cursor: every later call answers "nothing" (false, Invalid, an
// empty view), and Problem() and Offset() tell what was wrong and where.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace brantic {

enum class JsonKind : uint8_t { Invalid, Null, Bool, Number, String, Array, Object };

// A JSON number: an integer when it has no fraction or exponent and fits 64 bits.
struct JsonNumber {
  bool isInteger = false;
  int64_t integer = 0;
  double value = 0.0;
};

class JsonCursor {
 public:
  static constexpr int kDefaultMaxDepth = 4096;

  explicit JsonCursor(std::string_view text, int maxDepth = kDefaultMaxDepth) : text_(text), maxDepth_(maxDepth) {}

  // The kind of the next value, without reading it. Invalid at a fault or the end of the text.
  JsonKind Peek();

  // Containers. BeginObject/BeginArray read the opening bracket. NextMember reads the next
  // member's key and colon, answering false (and reading the closing brace) after the last
  // member; the caller then reads exactly one value. NextItem does the same for arrays.
  bool BeginObject();
  bool NextMember(std::string_view& key);
  bool BeginArray();
  bool NextItem();

  // Scalars. A text's view stays valid until the next call that reads a text.
  bool ReadString(std::string_view& text);
  bool ReadNumber(JsonNumber& number);
  bool ReadBool(bool& value);
  bool ReadNull();
  // Reads the next value whatever it is, containers with all they hold.
  bool Skip();

  // True when only white space is left (the whole text was one value).
  bool AtEnd();

  bool Failed() const { return !problem_.empty(); }
  const std::string& Problem() const { return problem_; }
  // The byte of the fault, or where the cursor stands.
  size_t Offset() const { return offset_; }
  // "line 3, column 14" of a byte of the text.
  static std::string LineAndColumn(std::string_view text, size_t offset);

 private:
  bool Fail(std::string problem);
  void SkipSpace();
  bool Open(char bracket);
  bool NextEntry(char closing);
  bool ScanString(std::string_view& text);
  bool ScanNumber(JsonNumber& number);
  bool Literal(std::string_view word);
  bool ValueDone();

  std::string_view text_;
  size_t offset_ = 0;
  int depth_ = 0;
  int maxDepth_;
  // Right after an opening bracket: the next entry needs no comma.
  bool first_ = false;
  std::string scratch_;
  std::string problem_;
};

// Appends `text` as a JSON string, quotes included: quotes, backslashes and control
// characters escaped, every byte that is not part of well-formed UTF-8 written as U+FFFD
// (so the output always reads back). Any thread.
void AppendJsonText(std::string& out, std::string_view text);

}  // namespace brantic
