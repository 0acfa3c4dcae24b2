#include "bx3/document.h"

#include "bx3/commands.h"

#include <algorithm>
#include <atomic>
#include <utility>

namespace bx3 {

// --- Take

Take::Take(brantic::String name) : Element(type::kTake, std::move(name)) {}

Take::Take(brantic::String name, ElementUid uid) : Element(type::kTake, uid) { SetName(std::move(name)); }

const TakeOverride* Take::FindOverride(const Element* element, int32_t paramId) const {
  if (!element) return nullptr;
  for (const TakeOverride& entry : overrides_) {
    if (entry.element.GetUid() == element->GetUid() && entry.paramId == paramId) return &entry;
  }
  return nullptr;
}

void Take::SetOverride(const Element* element, int32_t paramId, ParamValue value) {
  for (TakeOverride& entry : overrides_) {
    if (entry.element.GetUid() == element->GetUid() && entry.paramId == paramId) {
      entry.value = std::move(value);
      SetDirty();
      return;
    }
  }
  overrides_.push_back({ElementLink(element), paramId, std::move(value)});
  SetDirty();
}

bool Take::RemoveOverride(const Element* element, int32_t paramId) {
  for (auto it = overrides_.begin(); it != overrides_.end(); ++it) {
    if (it->element.GetUid() == element->GetUid() && it->paramId == paramId) {
      overrides_.erase(it);
      SetDirty();
      return true;
    }
  }
  return false;
}

std::unique_ptr<Element> Take::CloneData() const {
  auto copy = std::unique_ptr<Take>(new Take(GetName(), GetUid()));
  copy->AssignData(*this);
  return copy;
}

void Take::AssignData(const Element& source) {
  Element::AssignData(source);
  if (const auto* take = dynamic_cast<const Take*>(&source)) overrides_ = take->overrides_;
}

bool Take::DataEquals(const Element& other) const {
  const auto* take = dynamic_cast<const Take*>(&other);
  return take && Element::DataEquals(other) && overrides_ == take->overrides_;
}

// --- Document

struct Document::UndoRecord {
  UndoKind kind;
  ElementUid uid;
  ElementUid parentUid;
  int64_t index;
  std::unique_ptr<Element> data;  // change: the other state; delete/new: the detached tree
};

namespace {

// Revisions are unique across documents.
uint64_t NewRevision() {
  static std::atomic<uint64_t> last{0};
  return ++last;
}

}  // namespace

Document::Document() : Element(type::kDocument, brantic::String("Untitled")) {
  document_ = this;
  Register(*this);
  static const char* const kHeadNames[] = {"Objects", "Materials", "Render settings", "Effects", "Layers", "Takes"};
  for (size_t i = 0; i < heads_.size(); ++i) {
    auto head = std::unique_ptr<Element>(new Element(type::kHead, brantic::String(kHeadNames[i])));
    heads_[i] = InsertChild(std::move(head));
  }
  documentDirty_ = savedDirty_ = 1;
  revision_ = NewRevision();
}

Document::~Document() {
  // Children unregister themselves while the map still exists.
  DestroyChildren();
}

Element* Document::InsertElement(Branch branch, std::unique_ptr<Element> element, Element* parent, int64_t index) {
  if (!element) return nullptr;
  Element* target = parent ? parent : GetBranch(branch);
  if (target->GetDocument() != this) return nullptr;
  return target->InsertChild(std::move(element), index);
}

Element* Document::FindByUid(ElementUid uid) const {
  const auto found = byUid_.find(uid);
  return found == byUid_.end() ? nullptr : found->second;
}

void Document::Register(Element& element) { byUid_[element.GetUid()] = &element; }

void Document::Unregister(Element& element) {
  const auto found = byUid_.find(element.GetUid());
  if (found != byUid_.end() && found->second == &element) byUid_.erase(found);
}

namespace {

void ApplySelection(std::vector<ElementUid>& active, ElementLink& current, const Element* element, int32_t mode,
                    const Document& document, bool materials) {
  // Selection lists hold materials and objects together; a new selection replaces its kind.
  if (mode == Document::kSelectNew) {
    std::erase_if(active, [&](ElementUid uid) {
      const Element* known = document.FindByUid(uid);
      return !known || known->IsInstanceOf(type::kMaterialBase) == materials;
    });
  }
  if (!element) {
    if (mode == Document::kSelectNew) current.Clear();
    return;
  }
  const auto found = std::find(active.begin(), active.end(), element->GetUid());
  if (mode == Document::kSelectRemove) {
    if (found != active.end()) active.erase(found);
    if (current.GetUid() == element->GetUid()) current.Clear();
    return;
  }
  if (found == active.end()) active.push_back(element->GetUid());
  current.Set(element);
}

}  // namespace

void Document::SetActiveMaterial(const Element* material, int32_t mode) {
  ApplySelection(activeElements_, activeMaterial_, material, mode, *this, true);
}

void Document::SetActiveObject(const Element* object, int32_t mode) {
  ApplySelection(activeElements_, activeObject_, object, mode, *this, false);
}

bool Document::IsActive(const Element* element) const {
  return element &&
         std::find(activeElements_.begin(), activeElements_.end(), element->GetUid()) != activeElements_.end();
}

Element* Document::GetActiveRenderSettings() const {
  if (Element* settings = activeRenderSettings_.Resolve(this)) return settings;
  const auto& list = GetBranch(Branch::RenderSettings)->GetChildren();
  return list.empty() ? nullptr : list.front().get();
}

Take* Document::GetMainTake() const {
  const auto& takes = GetBranch(Branch::Takes)->GetChildren();
  return takes.empty() ? nullptr : dynamic_cast<Take*>(takes.front().get());
}

std::vector<Take*> Document::GetTakes() const {
  std::vector<Take*> takes;
  VisitElementsBelow(*GetBranch(Branch::Takes), [&](const Element& element) {
    if (auto* take = dynamic_cast<Take*>(const_cast<Element*>(&element))) takes.push_back(take);
  });
  return takes;
}

void Document::NoteChange() {
  ++documentDirty_;
  revision_ = NewRevision();
  NoteSceneChange();
}

void Document::StartUndo() {
  if (undoDepth_++ == 0) openStep_.before = revision_;
}

bool Document::AddUndo(UndoKind kind, Element* element) {
  if (undoDepth_ == 0 || !element || element->GetDocument() != this || element == this) {
    return false;
  }
  // Only a removal or an insertion needs the place in the parent (finding it walks the
  // siblings, which a change of many elements under one parent must not do each time).
  UndoRecord record{kind, element->GetUid(), 0, kind == kUndoChange ? -1 : element->IndexInParent(), nullptr};
  if (Element* parent = element->GetParent()) record.parentUid = parent->GetUid();
  switch (kind) {
    case kUndoChange: record.data = element->CloneData(); break;
    case kUndoDelete:
      if (!element->GetParent()) return false;
      record.data = element->CloneTree();
      break;
    case kUndoNew:
      if (!element->GetParent()) return false;
      break;
    default: return false;
  }
  openStep_.records.push_back(std::move(record));
  return true;
}

void Document::EndUndo() {
  if (undoDepth_ == 0) return;
  if (--undoDepth_ > 0 || openStep_.records.empty()) return;
  openStep_.after = revision_;
  undoSteps_.push_back(std::exchange(openStep_, UndoStep()));
  redoSteps_.clear();
}

bool Document::ApplyStep(UndoStep& step, bool undo) {
  auto apply = [&](UndoRecord& record) {
    if (record.kind == kUndoChange) {
      Element* element = FindByUid(record.uid);
      if (!element) return;
      std::unique_ptr<Element> current = element->CloneData();
      element->AssignData(*record.data);
      record.data = std::move(current);
      element->SetDirty();
      return;
    }
    // Undoing a delete and redoing an insertion put the tree back; the other two take it out.
    const bool reinsert = (record.kind == kUndoDelete) == undo;
    if (reinsert) {
      Element* parent = FindByUid(record.parentUid);
      if (parent && record.data) parent->InsertChild(std::move(record.data), record.index);
    } else if (Element* element = FindByUid(record.uid)) {
      record.data = element->Remove();
    }
  };
  // The scene as the step left it (or found it) comes back to the state before (or after) it.
  const bool untouched = revision_ == (undo ? step.after : step.before);
  if (undo) {
    for (auto it = step.records.rbegin(); it != step.records.rend(); ++it) apply(*it);
  } else {
    for (UndoRecord& record : step.records) apply(record);
  }
  NoteChange();
  if (untouched) revision_ = undo ? step.before : step.after;
  return true;
}

bool Document::Undo() {
  if (undoSteps_.empty() || undoDepth_ > 0) return false;
  UndoStep step = std::move(undoSteps_.back());
  undoSteps_.pop_back();
  ApplyStep(step, true);
  redoSteps_.push_back(std::move(step));
  return true;
}

bool Document::Redo() {
  if (redoSteps_.empty() || undoDepth_ > 0) return false;
  UndoStep step = std::move(redoSteps_.back());
  redoSteps_.pop_back();
  ApplyStep(step, false);
  undoSteps_.push_back(std::move(step));
  return true;
}

}  // namespace bx3
