// Enumeration names: registration of an enumeration's values with their names, and the
// conversion of a value to text. Any thread.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "brantic/result.h"

namespace brantic {

struct EnumerationValue {
  uint64_t value;
  std::string_view name;
};

// Registers (or replaces) the enumeration `typeName`, whose values are `width` bytes wide.
// Fails for an empty name, a width other than 1, 2, 4 or 8, or a value that does not fit.
Result<void> RegisterEnumeration(std::string_view typeName, int32_t width,
                                 std::initializer_list<EnumerationValue> values);

// "IMAGE" for a registered value; for a flag set without its own name the names of its
// bits joined with "|" ("IMAGE|VIDEO"); otherwise the number in decimal. Fails for an
// unknown enumeration.
Result<std::string> EnumerationToText(std::string_view typeName, uint64_t value);

}  // namespace brantic
