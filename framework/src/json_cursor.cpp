#include "brantic/json_cursor.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace brantic {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void AppendUtf8(std::string& out, uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// The length of the well-formed UTF-8 sequence at `at`, or 0 (overlong forms, surrogates and
// code points above U+10FFFF are not well formed).
size_t Utf8Length(std::string_view text, size_t at) {
  const auto byte = [&](size_t i) { return at + i < text.size() ? static_cast<uint8_t>(text[at + i]) : 0; };
  const auto continuation = [&](size_t i) { return (byte(i) & 0xC0) == 0x80; };
  const uint8_t lead = byte(0);
  if (lead >= 0xC2 && lead <= 0xDF) return continuation(1) ? 2 : 0;
  if (lead >= 0xE0 && lead <= 0xEF) {
    const uint8_t second = byte(1);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F)) return 0;
    return continuation(1) && continuation(2) ? 3 : 0;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    const uint8_t second = byte(1);
    if ((lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F)) return 0;
    return continuation(1) && continuation(2) && continuation(3) ? 4 : 0;
  }
  return 0;
}

// A byte that JSON text takes as it is: printable ASCII other than the quote and backslash.
bool IsPlainJsonByte(uint8_t byte) { return byte >= 0x20 && byte < 0x80 && byte != '"' && byte != '\\'; }

// Whether all eight bytes of `word` are plain: each test below marks the high bit of a byte
// that fails it (exact for the word as a whole, which is all that is asked).
bool AllPlainJsonBytes(uint64_t word) {
  constexpr uint64_t kOnes = 0x0101010101010101, kHigh = 0x8080808080808080;
  const auto anyBelow = [](uint64_t w, uint64_t n) { return (w - kOnes * n) & ~w & kHigh; };
  const auto anyEqual = [&anyBelow](uint64_t w, uint8_t c) { return anyBelow(w ^ (kOnes * c), 1); };
  return !(word & kHigh) && !anyBelow(word, 0x20) && !anyEqual(word, '"') && !anyEqual(word, '\\');
}

std::string Printable(char c) {
  if (c > 0x20 && c < 0x7F) return std::string("'") + c + "'";
  static const char kHex[] = "0123456789ABCDEF";
  const auto byte = static_cast<uint8_t>(c);
  return std::string("byte 0x") + kHex[byte >> 4] + kHex[byte & 15];
}

}  // namespace

bool JsonCursor::Fail(std::string problem) {
  if (problem_.empty()) problem_ = std::move(problem);
  return false;
}

void JsonCursor::SkipSpace() {
  while (offset_ < text_.size()) {
    const char c = text_[offset_];
    if (c != ' ' && c != '\n' && c != '\r' && c != '\t') return;
    ++offset_;
  }
}

JsonKind JsonCursor::Peek() {
  if (Failed()) return JsonKind::Invalid;
  SkipSpace();
  if (offset_ >= text_.size()) {
    Fail("unexpected end of the text");
    return JsonKind::Invalid;
  }
  const char c = text_[offset_];
  switch (c) {
    case '{': return JsonKind::Object;
    case '[': return JsonKind::Array;
    case '"': return JsonKind::String;
    case 't':
    case 'f': return JsonKind::Bool;
    case 'n': return JsonKind::Null;
    default:
      if (c == '-' || IsDigit(c)) return JsonKind::Number;
      Fail("unexpected " + Printable(c));
      return JsonKind::Invalid;
  }
}

bool JsonCursor::Open(char bracket) {
  if (Failed()) return false;
  SkipSpace();
  if (offset_ >= text_.size() || text_[offset_] != bracket) {
    return Fail(std::string(bracket == '{' ? "expected an object" : "expected an array"));
  }
  if (depth_ >= maxDepth_) return Fail("nested deeper than " + std::to_string(maxDepth_) + " levels");
  ++depth_;
  ++offset_;
  first_ = true;
  return true;
}

bool JsonCursor::NextEntry(char closing) {
  if (Failed()) return false;
  SkipSpace();
  if (offset_ >= text_.size()) return Fail("unexpected end of the text");
  const char c = text_[offset_];
  if (c == closing) {
    ++offset_;
    --depth_;
    first_ = false;
    return false;
  }
  if (!first_) {
    if (c != ',') return Fail(std::string("expected ',' or '") + closing + "' instead of " + Printable(c));
    ++offset_;
    SkipSpace();
  }
  first_ = false;
  return true;
}

bool JsonCursor::BeginObject() { return Open('{'); }
bool JsonCursor::BeginArray() { return Open('['); }
bool JsonCursor::NextItem() { return NextEntry(']'); }

bool JsonCursor::NextMember(std::string_view& key) {
  if (!NextEntry('}')) return false;
  if (offset_ >= text_.size() || text_[offset_] != '"') {
    return Fail(offset_ < text_.size() ? "expected a member name instead of " + Printable(text_[offset_])
                                       : "unexpected end of the text");
  }
  if (!ScanString(key)) return false;
  SkipSpace();
  if (offset_ >= text_.size() || text_[offset_] != ':') return Fail("expected ':' after a member name");
  ++offset_;
  return true;
}

bool JsonCursor::ReadString(std::string_view& text) {
  if (Peek() != JsonKind::String) return Failed() ? false : Fail("expected a text");
  return ScanString(text);
}

bool JsonCursor::ScanString(std::string_view& text) {
  const size_t start = ++offset_;
  bool escaped = false;
  // First pass: find the end, check the bytes; most texts have no escapes and are answered in place.
  for (;;) {
    if (offset_ >= text_.size()) return Fail("a text is not closed");
    const auto c = static_cast<uint8_t>(text_[offset_]);
    if (c == '"') break;
    if (c < 0x20) return Fail("a control character in a text");
    if (c == '\\') {
      escaped = true;
      offset_ += 2;
      continue;
    }
    if (c < 0x80) {
      ++offset_;
      continue;
    }
    const size_t length = Utf8Length(text_, offset_);
    if (length == 0) return Fail("a text that is not UTF-8");
    offset_ += length;
  }
  const size_t end = offset_;
  ++offset_;
  if (!escaped) {
    text = text_.substr(start, end - start);
    return true;
  }
  scratch_.clear();
  for (size_t i = start; i < end;) {
    const char c = text_[i];
    if (c != '\\') {
      scratch_ += c;
      ++i;
      continue;
    }
    const char kind = text_[i + 1];
    i += 2;
    switch (kind) {
      case '"':
      case '\\':
      case '/': scratch_ += kind; continue;
      case 'b': scratch_ += '\b'; continue;
      case 'f': scratch_ += '\f'; continue;
      case 'n': scratch_ += '\n'; continue;
      case 'r': scratch_ += '\r'; continue;
      case 't': scratch_ += '\t'; continue;
      case 'u': break;
      default: offset_ = i - 2; return Fail("an unknown escape in a text");
    }
    const auto hex4 = [&](size_t at) -> int32_t {
      if (at + 4 > end) return -1;
      int32_t value = 0;
      for (size_t k = 0; k < 4; ++k) {
        const int digit = HexValue(text_[at + k]);
        if (digit < 0) return -1;
        value = value * 16 + digit;
      }
      return value;
    };
    int32_t code = hex4(i);
    const size_t escapeAt = i - 2;
    i += 4;
    if (code >= 0xD800 && code <= 0xDBFF) {
      const int32_t low = i + 1 < end && text_[i] == '\\' && text_[i + 1] == 'u' ? hex4(i + 2) : -1;
      if (low < 0xDC00 || low > 0xDFFF) code = -1;
      code = code < 0 ? -1 : 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
      i += 6;
    } else if (code >= 0xDC00 && code <= 0xDFFF) {
      code = -1;
    }
    if (code < 0) {
      offset_ = escapeAt;
      return Fail("a bad \\u escape in a text");
    }
    AppendUtf8(scratch_, static_cast<uint32_t>(code));
  }
  text = scratch_;
  return true;
}

bool JsonCursor::ReadNumber(JsonNumber& number) {
  if (Peek() != JsonKind::Number) return Failed() ? false : Fail("expected a number");
  return ScanNumber(number);
}

bool JsonCursor::ScanNumber(JsonNumber& number) {
  const size_t start = offset_;
  size_t at = offset_;
  const auto digits = [&] {
    const size_t from = at;
    while (at < text_.size() && IsDigit(text_[at])) ++at;
    return at - from;
  };
  if (text_[at] == '-') ++at;
  const size_t integerStart = at;
  const size_t integerDigits = digits();
  if (integerDigits == 0 || (integerDigits > 1 && text_[integerStart] == '0')) return Fail("a malformed number");
  bool fraction = false;
  bool negativeExponent = false;
  bool exponent = false;
  if (at < text_.size() && text_[at] == '.') {
    ++at;
    fraction = true;
    if (digits() == 0) return Fail("a malformed number");
  }
  if (at < text_.size() && (text_[at] == 'e' || text_[at] == 'E')) {
    ++at;
    exponent = true;
    if (at < text_.size() && (text_[at] == '+' || text_[at] == '-')) negativeExponent = text_[at++] == '-';
    if (digits() == 0) return Fail("a malformed number");
  }
  const char* first = text_.data() + start;
  const char* last = text_.data() + at;
  number = JsonNumber{};
  if (!fraction && !exponent) {
    const auto parsed = std::from_chars(first, last, number.integer);
    if (parsed.ec == std::errc()) {
      number.isInteger = true;
      number.value = static_cast<double>(number.integer);
      offset_ = at;
      return true;
    }
  }
  const auto parsed = std::from_chars(first, last, number.value);
  if (parsed.ec == std::errc::result_out_of_range) {
    // Too small to tell from zero reads as zero; too large for a double is a fault.
    const bool belowOne = integerDigits == 1 && text_[integerStart] == '0';
    if (!negativeExponent && !(belowOne && !exponent)) {
      return Fail("the number " + std::string(first, last) + " is out of range");
    }
    number.value = text_[start] == '-' ? -0.0 : 0.0;
  } else if (parsed.ec != std::errc()) {
    return Fail("a malformed number");
  }
  offset_ = at;
  return true;
}

bool JsonCursor::Literal(std::string_view word) {
  if (text_.substr(offset_, word.size()) != word) return Fail("an unknown word");
  offset_ += word.size();
  return true;
}

bool JsonCursor::ReadBool(bool& value) {
  if (Peek() != JsonKind::Bool) return Failed() ? false : Fail("expected true or false");
  value = text_[offset_] == 't';
  return Literal(value ? "true" : "false");
}

bool JsonCursor::ReadNull() {
  if (Peek() != JsonKind::Null) return Failed() ? false : Fail("expected null");
  return Literal("null");
}

bool JsonCursor::Skip() {
  std::string closing;  // of the containers being skipped, innermost last
  for (;;) {
    std::string_view text;
    JsonNumber number;
    bool flag = false;
    switch (Peek()) {
      case JsonKind::Invalid: return false;
      case JsonKind::Null:
        if (!ReadNull()) return false;
        break;
      case JsonKind::Bool:
        if (!ReadBool(flag)) return false;
        break;
      case JsonKind::Number:
        if (!ReadNumber(number)) return false;
        break;
      case JsonKind::String:
        if (!ReadString(text)) return false;
        break;
      case JsonKind::Array:
        if (!BeginArray()) return false;
        closing += ']';
        break;
      case JsonKind::Object:
        if (!BeginObject()) return false;
        closing += '}';
        break;
    }
    // Go on to the next value still inside a container being skipped.
    for (;;) {
      if (closing.empty()) return true;
      const bool more = closing.back() == '}' ? NextMember(text) : NextItem();
      if (Failed()) return false;
      if (more) break;
      closing.pop_back();
    }
  }
}

bool JsonCursor::AtEnd() {
  if (Failed()) return false;
  SkipSpace();
  return offset_ >= text_.size();
}

std::string JsonCursor::LineAndColumn(std::string_view text, size_t offset) {
  size_t line = 1, column = 1;
  for (size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

void AppendJsonText(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  for (size_t at = 0; at < text.size();) {
    // Plain printable ASCII, the bulk of any path or name, goes across a run at a time.
    size_t plain = at;
    for (uint64_t word = 0; plain + sizeof word <= text.size(); plain += sizeof word) {
      std::memcpy(&word, text.data() + plain, sizeof word);
      if (!AllPlainJsonBytes(word)) break;
    }
    while (plain < text.size() && IsPlainJsonByte(static_cast<uint8_t>(text[plain]))) ++plain;
    if (plain > at) {
      out.append(text, at, plain - at);
      at = plain;
      continue;
    }
    const auto byte = static_cast<uint8_t>(text[at]);
    if (byte >= 0x80) {
      const size_t length = Utf8Length(text, at);
      if (length == 0) {
        out += "\xEF\xBF\xBD";
        ++at;
      } else {
        out.append(text, at, length);
        at += length;
      }
      continue;
    }
    switch (byte) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      default:
        if (byte < 0x20) {
          out += "\\u00";
          out += kHex[byte >> 4];
          out += kHex[byte & 0xF];
        } else {
          out += char(byte);
        }
    }
    ++at;
  }
  out += '"';
}

}  // namespace brantic
