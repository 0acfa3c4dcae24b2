#include "brantic/enumeration.h"

#include <map>
#include <mutex>
#include <vector>

namespace brantic {

namespace {

struct Enumeration {
  int32_t width = 4;
  std::vector<std::pair<uint64_t, std::string>> values;
};

struct Registry {
  std::mutex mutex;
  std::map<std::string, Enumeration, std::less<>> enumerations;
};

Registry& GetRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

Result<void> RegisterEnumeration(std::string_view typeName, int32_t width,
                                 std::initializer_list<EnumerationValue> values) {
  if (typeName.empty()) return IllegalArgumentError("an enumeration needs a name");
  if (width != 1 && width != 2 && width != 4 && width != 8) {
    return IllegalArgumentError("bad enumeration width " + std::to_string(width));
  }
  Enumeration enumeration;
  enumeration.width = width;
  const uint64_t limit = width == 8 ? UINT64_MAX : (uint64_t{1} << (8 * width)) - 1;
  for (const EnumerationValue& value : values) {
    if (value.value > limit) {
      return IllegalArgumentError(std::string(value.name) + " does not fit " + std::to_string(width) + " bytes");
    }
    enumeration.values.emplace_back(value.value, std::string(value.name));
  }
  Registry& registry = GetRegistry();
  std::lock_guard lock(registry.mutex);
  registry.enumerations.insert_or_assign(std::string(typeName), std::move(enumeration));
  return OK();
}

Result<std::string> EnumerationToText(std::string_view typeName, uint64_t value) {
  Registry& registry = GetRegistry();
  std::lock_guard lock(registry.mutex);
  const auto found = registry.enumerations.find(typeName);
  if (found == registry.enumerations.end()) {
    return IllegalArgumentError("unknown enumeration " + std::string(typeName));
  }
  const auto& values = found->second.values;
  for (const auto& [known, name] : values) {
    if (known == value) return name;
  }
  // A flag set: name every single-bit value it holds, if that covers all its bits.
  std::string text;
  uint64_t covered = 0;
  for (const auto& [known, name] : values) {
    if (known != 0 && (known & (known - 1)) == 0 && (value & known)) {
      if (!text.empty()) text += '|';
      text += name;
      covered |= known;
    }
  }
  if (covered == value && !text.empty()) return text;
  return std::to_string(value);
}

}  // namespace brantic
