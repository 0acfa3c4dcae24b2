#include "brantic/format.h"

#include <cmath>
#include <cstdio>

namespace brantic {

std::string FloatToText(double value, int32_t maxDecimals) {
  if (!std::isfinite(value)) return std::isnan(value) ? "nan" : (value > 0 ? "inf" : "-inf");
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", maxDecimals, value);
  std::string text(buffer);
  if (text.find('.') != std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  if (text == "-0") text = "0";
  return text;
}

std::string FormatArgument::ToText() const {
  if (const auto* text = std::get_if<String>(&value_)) return text->Std();
  if (const auto* number = std::get_if<int64_t>(&value_)) return String::FromInt(*number).Std();
  if (const auto* number = std::get_if<double>(&value_)) return FloatToText(*number);
  return ToTimeText();
}

std::string FormatArgument::ToTimeText() const {
  if (const auto* time = std::get_if<TimeValue>(&value_)) {
    return FloatToText(time->Seconds()) + " s";
  }
  return ToText();
}

String Format(std::string_view format, std::initializer_list<FormatArgument> arguments) {
  std::string out;
  out.reserve(format.size() + 16 * arguments.size());
  auto next = arguments.begin();
  for (size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (c != '@') {
      out += c;
      continue;
    }
    if (i + 1 < format.size() && format[i + 1] == '@') {
      out += '@';
      ++i;
      continue;
    }
    const bool asTime = format.substr(i + 1, 3) == "{s}";
    if (next != arguments.end()) {
      out += asTime ? next->ToTimeText() : next->ToText();
      ++next;
    }
    if (asTime) i += 3;
  }
  return String(std::move(out));
}

}  // namespace brantic
