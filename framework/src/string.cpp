#include "brantic/string.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace brantic {

const std::string& String::Std() const {
  static const std::string empty;
  return block_ ? block_->text : empty;
}

int64_t String::Find(std::string_view what, int64_t start) const {
  if (start < 0 || start > Length()) return kNotFound;
  const size_t pos = View().find(what, static_cast<size_t>(start));
  return pos == std::string_view::npos ? kNotFound : static_cast<int64_t>(pos);
}

int64_t String::FindLast(std::string_view what) const {
  const size_t pos = View().rfind(what);
  return pos == std::string_view::npos ? kNotFound : static_cast<int64_t>(pos);
}

String String::Substring(int64_t start, int64_t count) const {
  const int64_t length = Length();
  if (start < 0) start = 0;
  if (start >= length || count <= 0) return String();
  const int64_t available = length - start;
  return String(View().substr(static_cast<size_t>(start), static_cast<size_t>(count < available ? count : available)));
}

String String::Replace(std::string_view what, std::string_view with) const {
  if (what.empty() || IsEmpty()) return *this;
  const std::string_view text = View();
  std::string out;
  size_t from = 0;
  for (size_t pos = text.find(what); pos != std::string_view::npos; pos = text.find(what, from)) {
    out.append(text, from, pos - from).append(with);
    from = pos + what.size();
  }
  if (from == 0) return *this;
  out.append(text, from);
  return String(std::move(out));
}

Result<int64_t> String::ToInt64() const {
  std::string_view text = View();
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
    return IllegalArgumentError("not an integer: \"" + std::string(View()) + "\"");
  }
  return value;
}

String String::ToLower() const {
  std::string out(View());
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return String(std::move(out));
}

String String::FromInt(int64_t value, int32_t digits) {
  // Work on the magnitude as unsigned so that INT64_MIN is printed correctly.
  const bool negative = value < 0;
  uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  char buffer[24];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, magnitude);
  (void)error;
  std::string number(buffer, end);
  if (digits > 0 && static_cast<int32_t>(number.size()) < digits) {
    number.insert(0, static_cast<size_t>(digits) - number.size(), '0');
  }
  if (negative) number.insert(0, 1, '-');
  return String(std::move(number));
}

String MemorySizeToText(int64_t bytes, bool binary) {
  static const char* const kDecimal[] = {"B", "KB", "MB", "GB", "TB", "PB", "EB"};
  static const char* const kBinary[] = {"B", "KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
  const char* const* units = binary ? kBinary : kDecimal;
  const double step = binary ? 1024.0 : 1000.0;
  if (bytes < 0) bytes = 0;
  double value = static_cast<double>(bytes);
  int unit = 0;
  while (value >= step && unit < 6) {
    value /= step;
    ++unit;
  }
  char buffer[48];
  if (unit == 0) {
    std::snprintf(buffer, sizeof buffer, "%lld B", static_cast<long long>(bytes));
  } else {
    // One decimal below 100 units, none above: "1.5 MB", "234 MB". Rounding up to the
    // step moves on to the next unit ("1000 KB" reads "1 MB").
    const double rounded = value < 100.0 ? std::round(value * 10.0) / 10.0 : std::round(value);
    if (rounded >= step && unit < 6) {
      std::snprintf(buffer, sizeof buffer, "1 %s", units[unit + 1]);
    } else if (rounded < 100.0 && rounded != std::floor(rounded)) {
      std::snprintf(buffer, sizeof buffer, "%.1f %s", rounded, units[unit]);
    } else {
      std::snprintf(buffer, sizeof buffer, "%.0f %s", rounded, units[unit]);
    }
  }
  return String(std::string_view(buffer));
}

}  // namespace brantic
