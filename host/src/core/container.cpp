#include "bx3/container.h"

namespace bx3 {

Container::Container(const Container& other) : id_(other.id_) { *this = other; }

Container& Container::operator=(const Container& other) {
  if (this == &other) return *this;
  id_ = other.id_;
  values_.clear();
  // Sub-containers are copied, never shared between two containers.
  for (const auto& [key, value] : other.values_) {
    if (const auto* sub = std::get_if<std::shared_ptr<Container>>(&value)) {
      values_[key] = std::make_shared<Container>(**sub);
    } else {
      values_[key] = value;
    }
  }
  return *this;
}

bool Container::GetBool(int32_t key, bool fallback) const {
  const auto found = values_.find(key);
  if (found == values_.end()) return fallback;
  if (const auto* value = std::get_if<bool>(&found->second)) return *value;
  if (const auto* value = std::get_if<int32_t>(&found->second)) return *value != 0;
  return fallback;
}

int32_t Container::GetInt32(int32_t key, int32_t fallback) const {
  const auto found = values_.find(key);
  if (found == values_.end()) return fallback;
  if (const auto* value = std::get_if<int32_t>(&found->second)) return *value;
  if (const auto* value = std::get_if<bool>(&found->second)) return *value ? 1 : 0;
  if (const auto* value = std::get_if<int64_t>(&found->second)) return static_cast<int32_t>(*value);
  return fallback;
}

int64_t Container::GetInt64(int32_t key, int64_t fallback) const {
  const auto found = values_.find(key);
  if (found == values_.end()) return fallback;
  if (const auto* value = std::get_if<int64_t>(&found->second)) return *value;
  if (const auto* value = std::get_if<int32_t>(&found->second)) return *value;
  return fallback;
}

double Container::GetFloat(int32_t key, double fallback) const {
  const auto found = values_.find(key);
  if (found == values_.end()) return fallback;
  if (const auto* value = std::get_if<double>(&found->second)) return *value;
  if (const auto* value = std::get_if<int32_t>(&found->second)) return *value;
  return fallback;
}

brantic::String Container::GetString(int32_t key, brantic::String fallback) const {
  const auto found = values_.find(key);
  if (found == values_.end()) return fallback;
  if (const auto* value = std::get_if<brantic::String>(&found->second)) return *value;
  return fallback;
}

const Container* Container::GetContainer(int32_t key) const {
  const auto found = values_.find(key);
  if (found == values_.end()) return nullptr;
  const auto* value = std::get_if<std::shared_ptr<Container>>(&found->second);
  return value ? value->get() : nullptr;
}

Container* Container::GetContainer(int32_t key) {
  return const_cast<Container*>(static_cast<const Container*>(this)->GetContainer(key));
}

void Container::SetContainer(int32_t key, Container value) {
  values_[key] = std::make_shared<Container>(std::move(value));
}

bool Container::operator==(const Container& other) const {
  if (id_ != other.id_ || values_.size() != other.values_.size()) return false;
  for (auto a = values_.begin(), b = other.values_.begin(); a != values_.end(); ++a, ++b) {
    if (a->first != b->first || a->second.index() != b->second.index()) return false;
    const auto* subA = std::get_if<std::shared_ptr<Container>>(&a->second);
    if (subA) {
      if (!(**subA == *std::get<std::shared_ptr<Container>>(b->second))) return false;
    } else if (a->second != b->second) {
      return false;
    }
  }
  return true;
}

}  // namespace bx3
