// Format strings with "@" placeholders. Any thread.
//
//   Format("@: @ x @\n", {"Resolution", 1920, 1080})  ->  "Resolution: 1920 x 1080\n"
//   Format("@: @{s}\n", {"Duration", TimeValue(5, 2)}) -> "Duration: 2.5 s\n"
//
// Each "@" takes the next argument as text; "@{s}" takes a TimeValue and prints it in
// seconds. "@@" is a literal "@". Missing arguments print nothing; extra ones are ignored.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <variant>

#include "brantic/string.h"
#include "brantic/time.h"

namespace brantic {

class FormatArgument {
 public:
  FormatArgument(const char* text) : value_(String(text)) {}
  FormatArgument(std::string_view text) : value_(String(text)) {}
  FormatArgument(const std::string& text) : value_(String(text)) {}
  FormatArgument(const String& text) : value_(text) {}
  FormatArgument(int32_t number) : value_(static_cast<int64_t>(number)) {}
  FormatArgument(uint32_t number) : value_(static_cast<int64_t>(number)) {}
  FormatArgument(int64_t number) : value_(number) {}
  FormatArgument(double number) : value_(number) {}
  FormatArgument(TimeValue time) : value_(time) {}

  std::string ToText() const;
  std::string ToTimeText() const;

 private:
  std::variant<String, int64_t, double, TimeValue> value_;
};

String Format(std::string_view format, std::initializer_list<FormatArgument> arguments);

// A floating-point number without trailing zeros: 25 -> "25", 23.976 -> "23.976".
std::string FloatToText(double value, int32_t maxDecimals = 3);

}  // namespace brantic
