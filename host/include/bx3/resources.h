// String resources of a module, loaded from <module folder>/res/strings.json (an object of
// id -> text). Any thread once loaded (the table does not change).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "brantic/result.h"
#include "brantic/string.h"

namespace bx3 {

class StringTable {
 public:
  static brantic::Result<StringTable> Load(const std::string& moduleFolder);
  static brantic::Result<StringTable> Parse(std::string_view json, std::string_view sourceName);

  bool Has(int32_t id) const { return texts_.count(id) != 0; }
  // The text of `id`; empty when there is none.
  brantic::String Get(int32_t id) const;
  // The text of `id` with its "@" placeholder replaced by `parameter`.
  brantic::String Get(int32_t id, std::string_view parameter) const;
  std::vector<int32_t> Ids() const;
  size_t Size() const { return texts_.size(); }

 private:
  std::map<int32_t, brantic::String> texts_;
};

}  // namespace bx3
