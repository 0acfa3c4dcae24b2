// Scene elements: typed parameters, hierarchy, links. Main thread only.
//
// Every change goes through the element API, which raises the element's change counter and
// its document's, and is recorded for undo by the caller (Document::AddUndo before the
// change).
#pragma once

#include <algorithm>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string_view>
#include <variant>
#include <vector>

#include "brantic/nodes.h"
#include "brantic/string.h"
#include "brantic/time.h"
#include "brantic/url.h"
#include "bx3/filename.h"
#include "bx3/types.h"

namespace bx3 {

class Document;
class Element;

using ElementUid = uint64_t;

// A link to an element that resolves to nothing once the element is gone. Links name the
// element by its identity, so an element brought back by undo is found again.
class ElementLink {
 public:
  ElementLink() = default;
  explicit ElementLink(const Element* element) { Set(element); }
  void Set(const Element* element);
  void Clear() { uid_ = 0; }
  bool IsEmpty() const { return uid_ == 0; }
  ElementUid GetUid() const { return uid_; }
  Element* Resolve(const Document* document) const;
  bool operator==(const ElementLink&) const = default;

 private:
  ElementUid uid_ = 0;
};

using ParamValue = std::variant<std::monostate, bool, int32_t, double, brantic::TimeValue, brantic::String, Filename,
                                ElementLink, brantic::Url>;

// An element's parameters by id, in order of their ids. Elements hold a few parameters each
// and a scene holds many elements: one array per element, not one allocation per parameter.
class ParamTable {
 public:
  using Entry = std::pair<int32_t, ParamValue>;
  using const_iterator = std::vector<Entry>::const_iterator;

  const_iterator begin() const { return entries_.begin(); }
  const_iterator end() const { return entries_.end(); }
  bool empty() const { return entries_.empty(); }
  size_t size() const { return entries_.size(); }
  const_iterator find(int32_t id) const {
    const auto at = LowerBound(id);
    return at != entries_.end() && at->first == id ? at : entries_.end();
  }
  void insert_or_assign(int32_t id, ParamValue value) {
    const auto at = LowerBound(id);
    if (at != entries_.end() && at->first == id) {
      entries_[size_t(at - entries_.begin())].second = std::move(value);
    } else {
      entries_.emplace(at, id, std::move(value));
    }
  }
  void erase(int32_t id) {
    if (const auto at = find(id); at != entries_.end()) entries_.erase(at);
  }
  void reserve(size_t count) { entries_.reserve(count); }
  bool operator==(const ParamTable&) const = default;

 private:
  const_iterator LowerBound(int32_t id) const {
    return std::lower_bound(entries_.begin(), entries_.end(), id,
                            [](const Entry& entry, int32_t key) { return entry.first < key; });
  }
  std::vector<Entry> entries_;
};

// The data type a value is stored as (kDataTypeNone for an empty value).
int32_t DataTypeOf(const ParamValue& value);

// One level of a description identifier: parameter id, data type, creator type.
struct DescLevel {
  int32_t id = 0;
  int32_t dataType = 0;
  int32_t creator = 0;
  bool operator==(const DescLevel&) const = default;
};

// Identifies a parameter in an element's description (up to three levels).
class DescId {
 public:
  DescId() = default;
  explicit DescId(DescLevel first) { Push(first); }
  int32_t Depth() const { return depth_; }
  bool IsEmpty() const { return depth_ == 0; }
  const DescLevel& operator[](int32_t level) const { return levels_[static_cast<size_t>(level)]; }
  void Push(DescLevel level);
  bool operator==(const DescId& other) const;

 private:
  std::array<DescLevel, 3> levels_{};
  int32_t depth_ = 0;
};

// Fills in the data type and creator of `id`'s first level from the description of type
// `typeId`. False when the type has no such parameter.
bool CompleteDescId(int32_t typeId, DescId& id);

// Messages an element understands.
enum ElementMessage : int32_t {
  kMsgUpdate = 7,                 // the element's data changed; raises its change counter
  kMsgGetParamBitmap = 27,        // data: ParamBitmapRequest; answered by elements that draw a parameter
  kMsgAssetPathChanged = 112010,  // data: AssetPathChange; a renderer's element relinks the file itself
};

// A file an element uses now has another path. Renderers that keep their own file paths (the
// external renderer, the second renderer's node materials) replace the old path with the new
// one wherever they hold it.
struct AssetPathChange {
  Filename oldPath;
  Filename newPath;
  Document* document = nullptr;
  int32_t flags = 0;
};

// Flags for SetParameter.
enum SetFlags : int32_t {
  kSetFlagsNone = 0,
  kSetFlagsUserChange = 4,  // a change the user asked for (the same as any other here)
};

class BaseBitmap;

// The picture an element draws of one of its parameters (a simulation draws its state, for
// example), at a requested width. The element puts a new bitmap into `bitmap`.
struct ParamBitmapRequest {
  int32_t paramId = 0;
  int32_t width = 0;
  std::unique_ptr<BaseBitmap> bitmap;
};
// The parameter of a simulation that it draws as its preview.
inline constexpr int32_t kParamSimulationPreview = 90000;

class Element {
 public:
  explicit Element(int32_t typeId, brantic::String name = {});
  virtual ~Element();
  Element(const Element&) = delete;
  Element& operator=(const Element&) = delete;

  int32_t GetType() const { return typeId_; }
  const TypeInfo* GetTypeInfo() const { return typeInfo_; }
  bool IsInstanceOf(int32_t baseType) const;
  // The host icon of the element: every type has an icon whose id is the type id.
  int32_t GetIconId() const { return typeId_; }
  ElementUid GetUid() const { return uid_; }

  const brantic::String& GetName() const { return name_; }
  void SetName(brantic::String name);

  // --- hierarchy
  Element* GetParent() const { return parent_; }
  Element* GetUp() const { return parent_; }
  // The element a tag or shader belongs to: the nearest ancestor that is neither a tag nor
  // a shader. Null for elements that are not part of another one.
  Element* GetMain() const;
  Document* GetDocument() const { return document_; }
  const std::vector<std::unique_ptr<Element>>& GetChildren() const { return children_; }
  // Inserts `child` at `index` (-1 appends). Answers the inserted element.
  Element* InsertChild(std::unique_ptr<Element> child, int64_t index = -1);
  // Detaches this element from its parent; null when it has none.
  std::unique_ptr<Element> Remove();
  int64_t IndexInParent() const;

  // --- parameters
  const ParamTable& GetParameters() const { return params_; }
  const ParamValue* GetParameter(int32_t id) const;
  bool GetBool(int32_t id, bool fallback = false) const;
  int32_t GetInt32(int32_t id, int32_t fallback = 0) const;
  double GetFloat(int32_t id, double fallback = 0.0) const;
  brantic::TimeValue GetTime(int32_t id) const;
  brantic::String GetString(int32_t id) const;
  Filename GetFilename(int32_t id) const;
  ElementLink GetLink(int32_t id) const;
  // Makes room for `count` parameters at once (a loader knows how many follow).
  void ReserveParameters(size_t count) { params_.reserve(count); }
  // Stores `value` and raises the change counters. An empty value removes the parameter.
  void SetParameter(int32_t id, ParamValue value, int32_t setFlags = kSetFlagsNone);

  // --- layer, node graphs, change counter
  Element* GetLayer() const;
  const ElementLink& GetLayerLink() const { return layer_; }
  void SetLayer(const Element* layer);
  using NodeGraphs = std::map<brantic::Id, brantic::NodeGraph>;
  const NodeGraphs& GetNodeGraphs() const;
  brantic::NodeGraph* GetNodeGraph(const brantic::Id& nodeSpace);
  void SetNodeGraph(brantic::NodeGraph graph);
  // The change counter (selector kDirtyData: data changes). Any other selector answers the same.
  static constexpr int32_t kDirtyData = 4;
  uint32_t GetDirty(int32_t selector = kDirtyData) const;
  // Raises this element's counter, its ancestors' and the document's.
  void SetDirty();

  // kMsgUpdate raises the change counter; other messages are answered true unhandled.
  virtual bool Message(int32_t id, void* data = nullptr);

  // A copy of this element's own data (name, parameters, layer, graphs) with the same
  // identity, without children. Used by undo.
  virtual std::unique_ptr<Element> CloneData() const;
  // A copy of the element and all below it, with the same identities.
  std::unique_ptr<Element> CloneTree() const;
  // Takes over `source`'s own data; children stay.
  virtual void AssignData(const Element& source);
  // Same own data (not the children, not the change counter).
  virtual bool DataEquals(const Element& other) const;

 protected:
  Element(int32_t typeId, ElementUid uid);
  // Destroys every element below this one.
  void DestroyChildren();

 private:
  friend class Document;
  void AttachTo(Document* document);

  int32_t typeId_;
  const TypeInfo* typeInfo_;
  ElementUid uid_;
  brantic::String name_;
  Element* parent_ = nullptr;
  Document* document_ = nullptr;
  std::vector<std::unique_ptr<Element>> children_;
  ParamTable params_;
  ElementLink layer_;
  // Few elements hold node graphs: a pointer, not an empty map in every element.
  std::unique_ptr<NodeGraphs> graphs_;
  uint32_t dirty_ = 0;
};

// Makes an element of a registered type (a Take for type::kTake). Null for unknown types.
std::unique_ptr<Element> CreateElement(int32_t typeId, brantic::String name = {});

// Calls visit(e) for every element below `element`: parents before children, siblings in
// order. Without recursion, since a take hierarchy may be thousands of levels deep.
template <typename Visit>
void VisitElementsBelow(const Element& element, Visit&& visit) {
  std::vector<const Element*> pending;
  const auto pushChildren = [&pending](const Element& parent) {
    for (auto child = parent.GetChildren().rbegin(); child != parent.GetChildren().rend(); ++child) {
      pending.push_back(child->get());
    }
  };
  pushChildren(element);
  while (!pending.empty()) {
    const Element* next = pending.back();
    pending.pop_back();
    visit(*next);
    pushChildren(*next);
  }
}

}  // namespace bx3
