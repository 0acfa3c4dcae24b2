// Scene documents, takes and undo. Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "bx3/element.h"

namespace bx3 {

// A parameter of an element that a take sets to its own value.
struct TakeOverride {
  ElementLink element;
  int32_t paramId = 0;
  ParamValue value;
  bool operator==(const TakeOverride&) const = default;
};

class Take final : public Element {
 public:
  explicit Take(brantic::String name = {});

  const std::vector<TakeOverride>& GetOverrides() const { return overrides_; }
  // The override of `paramId` of `element`, or null.
  const TakeOverride* FindOverride(const Element* element, int32_t paramId) const;
  // Sets (or adds) the override of `paramId` of `element`.
  void SetOverride(const Element* element, int32_t paramId, ParamValue value);
  bool RemoveOverride(const Element* element, int32_t paramId);

  std::unique_ptr<Element> CloneData() const override;
  void AssignData(const Element& source) override;
  bool DataEquals(const Element& other) const override;

 private:
  friend class SceneReader;
  Take(brantic::String name, ElementUid uid);
  std::vector<TakeOverride> overrides_;
};

// Undo record kinds.
enum UndoKind : int32_t {
  kUndoChange = 42,  // the element's own data is about to change
  kUndoDelete = 43,  // the element is about to be removed
  kUndoNew = 44,     // the element was just inserted
};

// Which list of the document an element sits in.
enum class Branch : int32_t { Objects, Materials, RenderSettings, SceneEffects, Layers, Takes };

class Document final : public Element {
 public:
  Document();
  ~Document() override;

  // --- file
  const Filename& GetFilename() const { return filename_; }
  void SetFilename(Filename filename) { filename_ = std::move(filename); }
  // The folder of the document's file; empty for a document never saved.
  Filename GetFolder() const { return filename_.GetDirectory(); }

  // --- lists
  Element* GetBranch(Branch branch) const { return heads_[static_cast<size_t>(branch)]; }
  Element* GetMaterialList() const { return GetBranch(Branch::Materials); }
  // Makes room in the element index for `count` elements, before a large scene is read.
  void ReserveElements(size_t count) { byUid_.reserve(count); }
  Element* InsertElement(Branch branch, std::unique_ptr<Element> element, Element* parent = nullptr,
                         int64_t index = -1);
  Element* FindByUid(ElementUid uid) const;
  // Every element below the lists, depth first, lists in Branch order.
  template <typename Visit>
  void ForEachElement(Visit&& visit) const {
    for (Element* head : heads_) VisitElementsBelow(*head, visit);
  }

  // --- state
  // The document's change counter; `flags` select what counts and are ignored here (every
  // change counts).
  static constexpr int32_t kDirtyScene = 482;  // elements, materials, takes and their data
  uint32_t GetDirty(int32_t /*flags*/ = 0) const { return documentDirty_; }
  bool HasUnsavedChanges() const { return documentDirty_ != savedDirty_; }
  // The scene's state: each change makes a new revision, and an undo or a redo that finds the
  // scene as its step left it brings back the revision of the state it restores. Equal
  // revisions: the same scene, as far as the steps between them recorded their changes.
  uint64_t GetRevision() const { return revision_; }
  void MarkSaved() { savedDirty_ = documentDirty_; }
  // Active (selected) materials and objects. Mode kSelectNew makes `element` the only active
  // one (none for null), kSelectAdd adds it, kSelectRemove removes it.
  enum SelectMode : int32_t { kSelectNew = 0, kSelectAdd = 1, kSelectRemove = 2 };
  Element* GetActiveMaterial() const { return activeMaterial_.Resolve(this); }
  void SetActiveMaterial(const Element* material, int32_t mode = kSelectNew);
  Element* GetActiveObject() const { return activeObject_.Resolve(this); }
  void SetActiveObject(const Element* object, int32_t mode = kSelectNew);
  // True when the element is an active material or object.
  bool IsActive(const Element* element) const;
  Element* GetActiveRenderSettings() const;
  void SetActiveRenderSettings(const Element* settings) { activeRenderSettings_.Set(settings); }
  double GetFrameRate() const { return GetFloat(param::kDocumentFrameRate, 30.0); }

  // --- takes: the first take of the take list is the main take; null without takes.
  Take* GetMainTake() const;
  std::vector<Take*> GetTakes() const;

  // --- textures this document holds open for painting (declared in the scene file)
  const std::vector<Filename>& GetPaintTextures() const { return paintTextures_; }
  void SetPaintTextures(std::vector<Filename> textures) { paintTextures_ = std::move(textures); }

  // --- stored preview picture (PNG bytes), kept as the file had it.
  const std::string& GetPreviewPng() const { return previewPng_; }
  void SetPreviewPng(std::string png) { previewPng_ = std::move(png); }

  // --- undo. Records between StartUndo and EndUndo form one step; AddUndo outside a step
  // fails. Undo and Redo answer false when there is nothing to do.
  void StartUndo();
  bool AddUndo(UndoKind kind, Element* element);
  void EndUndo();
  bool Undo();
  bool Redo();
  int64_t UndoCount() const { return static_cast<int64_t>(undoSteps_.size()); }
  int64_t RedoCount() const { return static_cast<int64_t>(redoSteps_.size()); }

 private:
  friend class Element;
  struct UndoRecord;
  struct UndoStep {
    std::vector<UndoRecord> records;
    uint64_t before = 0;  // the revisions the step goes between
    uint64_t after = 0;
  };

  void Register(Element& element);
  void Unregister(Element& element);
  // Counts a change and tells the host's dialogs.
  void NoteChange();
  bool ApplyStep(UndoStep& step, bool undo);

  Filename filename_;
  std::array<Element*, 6> heads_{};
  std::unordered_map<ElementUid, Element*> byUid_;
  ElementLink activeMaterial_;
  ElementLink activeObject_;
  std::vector<ElementUid> activeElements_;
  ElementLink activeRenderSettings_;
  std::vector<Filename> paintTextures_;
  std::string previewPng_;
  uint32_t documentDirty_ = 1;
  uint32_t savedDirty_ = 1;
  uint64_t revision_ = 0;
  int32_t undoDepth_ = 0;
  UndoStep openStep_;
  std::vector<UndoStep> undoSteps_;
  std::vector<UndoStep> redoSteps_;
};

}  // namespace bx3
