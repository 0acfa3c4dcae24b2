#include "bx3/element.h"

#include <algorithm>
#include <atomic>

#include "bx3/bitmap.h"
#include "bx3/document.h"
#include "bx3/pathchange.h"

namespace bx3 {

namespace {

ElementUid NextUid() {
  static std::atomic<ElementUid> next{1};
  return next.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

void ElementLink::Set(const Element* element) { uid_ = element ? element->GetUid() : 0; }

Element* ElementLink::Resolve(const Document* document) const {
  return document && uid_ ? document->FindByUid(uid_) : nullptr;
}

int32_t DataTypeOf(const ParamValue& value) {
  switch (value.index()) {
    case 1: return kDataTypeBool;
    case 2: return kDataTypeInt32;
    case 3: return kDataTypeFloat;
    case 4: return kDataTypeTime;
    case 5: return kDataTypeString;
    case 6: return kDataTypeFilename;
    case 7: return kDataTypeLink;
    case 8: return kDataTypeUrl;
    default: return kDataTypeNone;
  }
}

void DescId::Push(DescLevel level) {
  if (depth_ < static_cast<int32_t>(levels_.size())) levels_[static_cast<size_t>(depth_++)] = level;
}

bool DescId::operator==(const DescId& other) const {
  if (depth_ != other.depth_) return false;
  for (int32_t i = 0; i < depth_; ++i) {
    if (!(levels_[static_cast<size_t>(i)] == other.levels_[static_cast<size_t>(i)])) return false;
  }
  return true;
}

bool CompleteDescId(int32_t typeId, DescId& id) {
  if (id.IsEmpty()) return false;
  const ParamDescription* description = FindParamDescription(typeId, id[0].id);
  if (!description) return false;
  DescId completed(DescLevel{id[0].id, description->dataType, typeId});
  for (int32_t level = 1; level < id.Depth(); ++level) completed.Push(id[level]);
  id = completed;
  return true;
}

Element::Element(int32_t typeId, brantic::String name) : Element(typeId, NextUid()) { name_ = std::move(name); }

Element::Element(int32_t typeId, ElementUid uid) : typeId_(typeId), typeInfo_(FindType(typeId)), uid_(uid) {}

Element::~Element() {
  DestroyChildren();
  if (document_ && document_ != this) document_->Unregister(*this);
}

void Element::DestroyChildren() {
  // Leaves first and without recursion: a chain of thousands of takes would otherwise need a
  // stack frame per level. Each element still unregisters itself as it goes.
  std::vector<std::unique_ptr<Element>> pending = std::move(children_);
  children_.clear();
  while (!pending.empty()) {
    std::unique_ptr<Element> element = std::move(pending.back());
    pending.pop_back();
    for (auto& child : element->children_) pending.push_back(std::move(child));
    element->children_.clear();
  }
}

bool Element::IsInstanceOf(int32_t baseType) const {
  return typeInfo_ ? typeInfo_->IsInstanceOf(baseType) : typeId_ == baseType;
}

void Element::SetName(brantic::String name) {
  name_ = std::move(name);
  SetDirty();
}

Element* Element::GetMain() const {
  if (!typeInfo_) return nullptr;
  const TypeCategory category = typeInfo_->category;
  if (category != TypeCategory::Tag && category != TypeCategory::Shader) return nullptr;
  for (Element* up = parent_; up; up = up->parent_) {
    const TypeInfo* info = up->typeInfo_;
    if (!info || info->category == TypeCategory::Head || info->category == TypeCategory::Document) {
      return nullptr;
    }
    if (info->category != TypeCategory::Tag && info->category != TypeCategory::Shader) return up;
  }
  return nullptr;
}

Element* Element::InsertChild(std::unique_ptr<Element> child, int64_t index) {
  if (!child) return nullptr;
  Element* raw = child.get();
  raw->parent_ = this;
  if (index < 0 || index > static_cast<int64_t>(children_.size())) {
    children_.push_back(std::move(child));
  } else {
    children_.insert(children_.begin() + index, std::move(child));
  }
  raw->AttachTo(document_);
  SetDirty();
  return raw;
}

std::unique_ptr<Element> Element::Remove() {
  if (!parent_) return nullptr;
  Element* parent = parent_;
  const int64_t index = IndexInParent();
  std::unique_ptr<Element> self = std::move(parent->children_[static_cast<size_t>(index)]);
  parent->children_.erase(parent->children_.begin() + index);
  parent_ = nullptr;
  AttachTo(nullptr);
  parent->SetDirty();
  return self;
}

int64_t Element::IndexInParent() const {
  if (!parent_) return -1;
  for (size_t i = 0; i < parent_->children_.size(); ++i) {
    if (parent_->children_[i].get() == this) return static_cast<int64_t>(i);
  }
  return -1;
}

void Element::AttachTo(Document* document) {
  if (document_ == document) return;
  if (document_) document_->Unregister(*this);
  document_ = document;
  if (document_) document_->Register(*this);
  for (auto& child : children_) child->AttachTo(document);
}

const ParamValue* Element::GetParameter(int32_t id) const {
  const auto found = params_.find(id);
  return found == params_.end() ? nullptr : &found->second;
}

bool Element::GetBool(int32_t id, bool fallback) const {
  const ParamValue* value = GetParameter(id);
  if (const auto* b = value ? std::get_if<bool>(value) : nullptr) return *b;
  if (const auto* i = value ? std::get_if<int32_t>(value) : nullptr) return *i != 0;
  return fallback;
}

int32_t Element::GetInt32(int32_t id, int32_t fallback) const {
  const ParamValue* value = GetParameter(id);
  if (const auto* i = value ? std::get_if<int32_t>(value) : nullptr) return *i;
  if (const auto* b = value ? std::get_if<bool>(value) : nullptr) return *b ? 1 : 0;
  return fallback;
}

double Element::GetFloat(int32_t id, double fallback) const {
  const ParamValue* value = GetParameter(id);
  if (const auto* d = value ? std::get_if<double>(value) : nullptr) return *d;
  if (const auto* i = value ? std::get_if<int32_t>(value) : nullptr) return *i;
  return fallback;
}

brantic::TimeValue Element::GetTime(int32_t id) const {
  const ParamValue* value = GetParameter(id);
  if (const auto* t = value ? std::get_if<brantic::TimeValue>(value) : nullptr) return *t;
  return {};
}

brantic::String Element::GetString(int32_t id) const {
  const ParamValue* value = GetParameter(id);
  if (const auto* s = value ? std::get_if<brantic::String>(value) : nullptr) return *s;
  if (const auto* f = value ? std::get_if<Filename>(value) : nullptr) return f->GetString();
  return {};
}

Filename Element::GetFilename(int32_t id) const {
  const ParamValue* value = GetParameter(id);
  if (const auto* f = value ? std::get_if<Filename>(value) : nullptr) return *f;
  if (const auto* s = value ? std::get_if<brantic::String>(value) : nullptr) return Filename(*s);
  if (const auto* u = value ? std::get_if<brantic::Url>(value) : nullptr) return Filename::FromUrl(*u);
  return {};
}

ElementLink Element::GetLink(int32_t id) const {
  const ParamValue* value = GetParameter(id);
  if (const auto* l = value ? std::get_if<ElementLink>(value) : nullptr) return *l;
  return {};
}

void Element::SetParameter(int32_t id, ParamValue value, int32_t /*setFlags*/) {
  if (std::holds_alternative<std::monostate>(value)) {
    params_.erase(id);
  } else {
    params_.insert_or_assign(id, std::move(value));
  }
  SetDirty();
}

Element* Element::GetLayer() const { return layer_.Resolve(document_); }

void Element::SetLayer(const Element* layer) {
  layer_.Set(layer);
  SetDirty();
}

const Element::NodeGraphs& Element::GetNodeGraphs() const {
  static const NodeGraphs kNone;
  return graphs_ ? *graphs_ : kNone;
}

brantic::NodeGraph* Element::GetNodeGraph(const brantic::Id& nodeSpace) {
  if (!graphs_) return nullptr;
  const auto found = graphs_->find(nodeSpace);
  return found == graphs_->end() ? nullptr : &found->second;
}

void Element::SetNodeGraph(brantic::NodeGraph graph) {
  if (!graphs_) graphs_ = std::make_unique<NodeGraphs>();
  const brantic::Id space = graph.NodeSpace();
  graphs_->insert_or_assign(space, std::move(graph));
  SetDirty();
}

uint32_t Element::GetDirty(int32_t /*selector*/) const { return dirty_; }

void Element::SetDirty() {
  for (Element* element = this; element; element = element->parent_) ++element->dirty_;
  if (document_) document_->NoteChange();
}

bool Element::Message(int32_t id, void* data) {
  if (id == kMsgUpdate) SetDirty();
  if (id == kMsgAssetPathChanged && data) {
    (void)ApplyAssetPathChange(*this, *static_cast<const AssetPathChange*>(data));
    return true;
  }
  if (id == kMsgGetParamBitmap && data && IsInstanceOf(type::kSimulation)) {
    // A simulation draws its preview parameter: a field of particles over a gradient, the
    // same for the same element.
    auto* request = static_cast<ParamBitmapRequest*>(data);
    if (request->paramId != kParamSimulationPreview || request->width <= 0) return true;
    auto bitmap = std::make_unique<BaseBitmap>();
    const int32_t width = std::min(request->width, 4096);
    const int32_t height = std::max(1, width / 2);
    if (!bitmap->Init(width, height, 24)) return true;
    for (int32_t y = 0; y < height; ++y) {
      const uint8_t shade = uint8_t(40 + 120 * y / height);
      bitmap->Fill(0, y, width - 1, y, 20, uint8_t(shade / 2), shade);
    }
    uint32_t seed = uint32_t(uid_) * 2654435761u + 1;
    for (int32_t i = 0; i < width * height / 64; ++i) {
      seed = seed * 1664525u + 1013904223u;
      const int32_t x = int32_t(seed % uint32_t(width));
      seed = seed * 1664525u + 1013904223u;
      const int32_t y = int32_t(seed % uint32_t(height));
      bitmap->Fill(x, y, std::min(width - 1, x + 1), std::min(height - 1, y + 1), 250, 220, 120);
    }
    request->bitmap = std::move(bitmap);
  }
  return true;
}

std::unique_ptr<Element> Element::CloneData() const {
  auto copy = std::unique_ptr<Element>(new Element(typeId_, uid_));
  copy->AssignData(*this);
  return copy;
}

std::unique_ptr<Element> Element::CloneTree() const {
  std::unique_ptr<Element> copy = CloneData();
  for (const auto& child : children_) {
    std::unique_ptr<Element> childCopy = child->CloneTree();
    childCopy->parent_ = copy.get();
    copy->children_.push_back(std::move(childCopy));
  }
  return copy;
}

void Element::AssignData(const Element& source) {
  name_ = source.name_;
  params_ = source.params_;
  layer_ = source.layer_;
  graphs_ = source.graphs_ && !source.graphs_->empty() ? std::make_unique<NodeGraphs>(*source.graphs_) : nullptr;
}

bool Element::DataEquals(const Element& other) const {
  return typeId_ == other.typeId_ && name_ == other.name_ && params_ == other.params_ && layer_ == other.layer_ &&
         GetNodeGraphs() == other.GetNodeGraphs();
}

std::unique_ptr<Element> CreateElement(int32_t typeId, brantic::String name) {
  const TypeInfo* info = FindType(typeId);
  if (!info || info->category == TypeCategory::Document || info->category == TypeCategory::Head) {
    return nullptr;
  }
  if (typeId == type::kTake) return std::make_unique<Take>(std::move(name));
  return std::make_unique<Element>(typeId, std::move(name));
}

}  // namespace bx3
